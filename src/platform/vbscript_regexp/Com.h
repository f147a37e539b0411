#pragma once
// Our stand-in for the parts of COM the regex object uses: per-thread start-up and shut-down,
// creation of a component by its ProgID, and late-bound calls that name a member as text
// (property put, property get, method call) with variant arguments and a variant result.
//
// Component objects are reached through DispatchRef, a counted reference: copying it takes a
// reference of its own, resetting or destroying it releases that reference.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace velloran::platform {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

class IDispatch;
using DispatchRef = std::shared_ptr<IDispatch>;

// A BSTR: an immutable string of UTF-16 code units. Copies share the characters, so a page-sized
// subject handed to a component and kept by the collection it returns is not copied on the way.
class BString {
public:
    BString() = default;
    BString(std::u16string text) : text_(std::make_shared<const std::u16string>(std::move(text))) {}

    const std::u16string& str() const { return text_ ? *text_ : Empty(); }
    friend bool operator==(const BString& a, const BString& b) { return a.str() == b.str(); }

private:
    static const std::u16string& Empty() {
        static const std::u16string empty;
        return empty;
    }
    std::shared_ptr<const std::u16string> text_;
};

// VT_EMPTY, VT_BOOL, VT_I4, VT_BSTR, VT_DISPATCH.
using Variant = std::variant<std::monostate, bool, std::int32_t, BString, DispatchRef>;

using DISPID = std::int32_t;
inline constexpr std::uint16_t DISPATCH_METHOD = 0x1;
inline constexpr std::uint16_t DISPATCH_PROPERTYGET = 0x2;
inline constexpr std::uint16_t DISPATCH_PROPERTYPUT = 0x4;

// A component reached by late binding: a member name is looked up (letter case does not count)
// and then invoked as a method, a property read or a property write.
class IDispatch {
public:
    virtual ~IDispatch() = default;
    virtual HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) = 0;
    // `args` in the order written in a call; a property put takes the value as its last argument.
    virtual HRESULT Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args, Variant* result) = 0;
};

// Starts COM on the calling thread (a single-threaded apartment): S_OK the first time, S_FALSE
// when the thread has it already; every call, either result, wants one CoUninitialize.
HRESULT CoInitialize(void* reserved);
// Undoes one CoInitialize of the calling thread; does nothing on a thread without COM.
void CoUninitialize();

// A new instance of the component registered as `progId` ("VBScript.RegExp"); fails with
// CO_E_NOTINITIALIZED on a thread without COM and CO_E_CLASSSTRING for an unknown ProgID.
HRESULT CreateObject(std::u16string_view progId, DispatchRef* object);

// Late-bound calls by member name.
HRESULT PropertyPut(const DispatchRef& object, std::u16string_view member, const Variant& value);
HRESULT PropertyGet(const DispatchRef& object, std::u16string_view member, std::span<const Variant> args,
                    Variant* result);
HRESULT CallMethod(const DispatchRef& object, std::u16string_view member, std::span<const Variant> args,
                   Variant* result);

}  // namespace velloran::platform
