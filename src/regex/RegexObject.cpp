#include "regex/RegexObject.h"

#include <bit>
#include <cstring>
#include <string>

#include "text/CodePageConversion.h"
#include "text/TextOps.h"

namespace velloran {
namespace {

using platform::DispatchRef;
using platform::Variant;

// "#引号", the marker a pattern may hold in place of a double quote.
const Text kQuoteMarker = "#\xD2\xFD\xBA\xC5";

// A code page 936 text as the string the component takes: its UTF-16 units, no zero unit.
std::u16string ToComponentString(const ByteSet& utf16) {
    std::u16string units;
    if (utf16.size() < 2) return units;
    if constexpr (std::endian::native == std::endian::little) {
        // Copied straight from the bytes (the string copies with memcpy; no zero-filling first).
        units.assign(static_cast<const char16_t*>(static_cast<const void*>(utf16.data())), utf16.size() / 2);
    } else {
        units.assign(utf16.size() / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i) {
            units[i] = static_cast<char16_t>(utf16[2 * i] | utf16[2 * i + 1] << 8);
        }
    }
    while (!units.empty() && units.back() == u'\0') units.pop_back();
    return units;
}

std::u16string ToComponentString(const Text& text) { return ToComponentString(GbkToUtf16(text)); }

// A string from the component back as code page 936 text.
Text FromComponentString(const std::u16string& units) {
    ByteSet bytes(units.size() * 2);
    if (bytes.empty()) return {};
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data(), units.data(), bytes.size());
    } else {
        for (std::size_t i = 0; i < units.size(); ++i) {
            bytes[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
        }
    }
    return Utf16ToGbk(bytes);
}

// Failed calls are silent: they leave an empty value.
Variant Get(const DispatchRef& object, std::u16string_view member) {
    Variant result;
    if (object) platform::PropertyGet(object, member, {}, &result);
    return result;
}

Variant Call(const DispatchRef& object, std::u16string_view member, std::initializer_list<Variant> args) {
    Variant result;
    if (object) platform::CallMethod(object, member, std::span<const Variant>(args.begin(), args.size()), &result);
    return result;
}

// A number counted from 1 as the component's index counted from 0; a number below 1 stays outside
// the collection (and never overflows).
std::int32_t ComponentIndex(std::int32_t number) { return number > 0 ? number - 1 : -1; }

std::int32_t AsInt(const Variant& v) {
    const std::int32_t* i = std::get_if<std::int32_t>(&v);
    return i ? *i : 0;
}

DispatchRef AsObject(const Variant& v) {
    const DispatchRef* d = std::get_if<DispatchRef>(&v);
    return d ? *d : DispatchRef();
}

Text AsText(const Variant& v) {
    const platform::BString* s = std::get_if<platform::BString>(&v);
    return s ? FromComponentString(s->str()) : Text();
}

}  // namespace

RegexObject::RegexObject() {
    platform::CoInitialize(nullptr);  // the result is not examined: already started is as good
    startedCom = true;
}

RegexObject::RegexObject(const RegexObject& other)
    : regExp(other.regExp), matches(other.matches), subject(other.subject) {}

RegexObject::~RegexObject() {
    regExp.reset();
    matches.reset();
    subject.clear();
    if (startedCom) platform::CoUninitialize();
}

bool RegexObject::Create(const Text& pattern, const Text& subjectText, std::optional<bool> caseSensitive,
                         std::optional<bool> multiline, std::optional<bool> global, std::optional<bool> quoteMarker) {
    const bool ignoreCase = caseSensitive.has_value() ? !*caseSensitive : true;
    const bool multilineSetting = multiline.has_value() ? *multiline : true;
    const bool globalSetting = global.has_value() ? *global : true;

    regExp.reset();
    matches.reset();
    platform::CreateObject(u"VBScript.RegExp", &regExp);

    const Text written = quoteMarker.value_or(false) ? ReplaceText(pattern, kQuoteMarker, Text("\""), true) : pattern;
    if (regExp) {
        platform::PropertyPut(regExp, u"IgnoreCase", ignoreCase);
        platform::PropertyPut(regExp, u"Multiline", multilineSetting);
        platform::PropertyPut(regExp, u"Singleline", true);  // the component has no such setting
        platform::PropertyPut(regExp, u"Global", globalSetting);
        platform::PropertyPut(regExp, u"Pattern", ToComponentString(written));
    }

    subject = GbkToUtf16(subjectText);
    matches = AsObject(Call(regExp, u"Execute", {ToComponentString(subject)}));
    return static_cast<bool>(matches);
}

void RegexObject::Reserved() {}

Text RegexObject::GetPattern() {
    if (!regExp) return {};
    return AsText(Get(regExp, u"Pattern"));
}

Text RegexObject::Replace(const std::optional<Text>& replacement) {
    if (!regExp) return {};
    return AsText(Call(regExp, u"Replace",
                       {ToComponentString(subject), ToComponentString(replacement.value_or(Text()))}));
}

std::int32_t RegexObject::MatchCount() { return matches ? AsInt(Get(matches, u"Count")) : 0; }

Text RegexObject::MatchText(std::int32_t match, OutPosition position) {
    if (!matches) return {};
    DispatchRef item = AsObject(Call(matches, u"Item", {ComponentIndex(match)}));
    const Text text = AsText(Get(item, u"Value"));
    if (position) position->get() = PositionOf(text, AsInt(Get(item, u"FirstIndex")));
    return text;
}

Text RegexObject::SubmatchText(std::int32_t match, std::int32_t group, OutPosition position) {
    if (!matches) return {};
    DispatchRef item = AsObject(Call(matches, u"Item", {ComponentIndex(match)}));
    DispatchRef groups = AsObject(Get(item, u"SubMatches"));
    const Text text = AsText(Call(groups, u"Item", {ComponentIndex(group)}));
    if (position) position->get() = PositionOf(text, AsInt(Get(item, u"FirstIndex")));
    return text;
}

std::int32_t RegexObject::SubmatchCount() {
    if (!matches) return 0;
    DispatchRef first = AsObject(Call(matches, u"Item", {0}));
    return AsInt(Get(AsObject(Get(first, u"SubMatches")), u"Count"));
}

Text RegexObject::PositionSearchSubject() const { return Utf16ToGbk(subject); }

// FirstIndex counts UTF-16 units, the subject text counts bytes, and a double-byte character is
// one unit but two bytes: searching from FirstIndex as a 1-based byte position therefore starts
// at or before the match, and the first occurrence met is reported. That byte position can fall
// on the second byte of a double-byte character, and a search begun there would pair the
// characters after it wrongly (missing the match, or finding the text across two characters), so
// the search begins at the start of that character instead.
std::int32_t RegexObject::PositionOf(const Text& found, std::int32_t firstIndex) const {
    const Text subjectText = PositionSearchSubject();
    const std::size_t startByte = firstIndex > 1 ? static_cast<std::size_t>(firstIndex) - 1 : 0;
    std::size_t boundary = 0;
    while (boundary < subjectText.size()) {
        const std::size_t next = boundary + (static_cast<unsigned char>(subjectText[boundary]) >= 0x80 ? 2 : 1);
        if (next > startByte) break;
        boundary = next;
    }
    const std::int32_t start =
        firstIndex < 1 || startByte >= subjectText.size() ? firstIndex : static_cast<std::int32_t>(boundary) + 1;
    return FindText(subjectText, found, start, false) - 1;
}

}  // namespace velloran
