#include "platform/vbscript_regexp/Com.h"

#include "platform/vbscript_regexp/RegExpComponent.h"

namespace velloran::platform {
namespace {

// How many CoInitialize calls of this thread are not yet undone. COM state belongs to a thread.
thread_local int apartmentDepth = 0;

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

HRESULT InvokeByName(const DispatchRef& object, std::u16string_view member, std::uint16_t flags,
                     std::span<const Variant> args, Variant* result) {
    if (!object) return E_POINTER;
    DISPID id = 0;
    const HRESULT hr = object->GetIDsOfNames(member, &id);
    if (FAILED(hr)) return hr;
    return object->Invoke(id, flags, args, result);
}

}  // namespace

HRESULT CoInitialize(void* /*reserved*/) { return apartmentDepth++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (apartmentDepth > 0) --apartmentDepth;
}

HRESULT CreateObject(std::u16string_view progId, DispatchRef* object) {
    if (object == nullptr) return E_POINTER;
    object->reset();
    if (apartmentDepth == 0) return CO_E_NOTINITIALIZED;
    if (SameNameIgnoringCase(progId, u"VBScript.RegExp")) {
        *object = CreateRegExpComponent();
        return S_OK;
    }
    return CO_E_CLASSSTRING;
}

HRESULT PropertyPut(const DispatchRef& object, std::u16string_view member, const Variant& value) {
    return InvokeByName(object, member, DISPATCH_PROPERTYPUT, std::span<const Variant>(&value, 1), nullptr);
}

HRESULT PropertyGet(const DispatchRef& object, std::u16string_view member, std::span<const Variant> args,
                    Variant* result) {
    return InvokeByName(object, member, DISPATCH_PROPERTYGET, args, result);
}

HRESULT CallMethod(const DispatchRef& object, std::u16string_view member, std::span<const Variant> args,
                   Variant* result) {
    return InvokeByName(object, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, result);
}

}  // namespace velloran::platform
