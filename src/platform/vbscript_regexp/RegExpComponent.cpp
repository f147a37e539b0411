#include "platform/vbscript_regexp/RegExpComponent.h"

#include <array>
#include <utility>

#include "platform/vbscript_regexp/VbRegex.h"

namespace velloran::platform {
namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// The member table of one kind of object: its names, by DISPID from 1.
template <std::size_t N>
HRESULT LookUp(const std::array<std::u16string_view, N>& names, std::u16string_view name, DISPID* id) {
    if (id == nullptr) return E_POINTER;
    for (std::size_t i = 0; i < N; ++i) {
        if (SameNameIgnoringCase(names[i], name)) {
            *id = static_cast<DISPID>(i + 1);
            return S_OK;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

bool IsGet(std::uint16_t flags) { return (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0; }
bool IsPut(std::uint16_t flags) { return (flags & DISPATCH_PROPERTYPUT) != 0; }

HRESULT Store(Variant* result, Variant value) {
    if (result != nullptr) *result = std::move(value);
    return S_OK;
}

// Variant arguments as the component reads them.
bool ReadBool(const Variant& v, bool& out) {
    if (const bool* b = std::get_if<bool>(&v)) {
        out = *b;
        return true;
    }
    if (const std::int32_t* i = std::get_if<std::int32_t>(&v)) {
        out = *i != 0;
        return true;
    }
    return false;
}

bool ReadIndex(const Variant& v, std::int32_t& out) {
    if (const std::int32_t* i = std::get_if<std::int32_t>(&v)) {
        out = *i;
        return true;
    }
    return false;
}

// An empty variant reads as the empty string, as in VBScript.
bool ReadString(const Variant& v, BString& out) {
    if (const BString* s = std::get_if<BString>(&v)) {
        out = *s;
        return true;
    }
    if (std::holds_alternative<std::monostate>(v)) {
        out = BString();
        return true;
    }
    return false;
}

// What one "Execute" found, shared by the collection and every match and group collection taken
// from it, so that each stays valid on its own.
struct ExecuteResult {
    BString subject;
    VbMatches matches;

    std::u16string Text(std::size_t match, std::uint32_t group) const {
        const std::size_t start = matches.Start(match, group);
        if (start == VbMatches::kUnset) return {};
        return subject.str().substr(start, matches.End(match, group) - start);
    }
};
using SharedResult = std::shared_ptr<const ExecuteResult>;

class SubMatchesObject final : public IDispatch {
public:
    SubMatchesObject(SharedResult result, std::size_t match) : result_(std::move(result)), match_(match) {}

    HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) override { return LookUp(kNames, name, id); }

    HRESULT Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args, Variant* result) override {
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        const std::uint32_t groups = result_->matches.groupCount;
        switch (id) {
            case kCount:
                if (!args.empty()) return DISP_E_BADPARAMCOUNT;
                return Store(result, static_cast<std::int32_t>(groups));
            case kItem: {
                std::int32_t index = 0;
                if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
                if (!ReadIndex(args[0], index)) return DISP_E_TYPEMISMATCH;
                if (index < 0 || static_cast<std::uint32_t>(index) >= groups) return kInvalidProcedureCall;
                const auto group = static_cast<std::uint32_t>(index) + 1;
                if (result_->matches.Start(match_, group) == VbMatches::kUnset) return Store(result, std::monostate{});
                return Store(result, result_->Text(match_, group));
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    enum : DISPID { kCount = 1, kItem };
    static constexpr std::array<std::u16string_view, 2> kNames{u"Count", u"Item"};
    SharedResult result_;
    std::size_t match_;
};

class MatchObject final : public IDispatch {
public:
    MatchObject(SharedResult result, std::size_t match) : result_(std::move(result)), match_(match) {}

    HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) override { return LookUp(kNames, name, id); }

    HRESULT Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args, Variant* result) override {
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        const VbMatches& m = result_->matches;
        switch (id) {
            case kValue:
                return Store(result, result_->Text(match_, 0));
            case kFirstIndex:
                return Store(result, static_cast<std::int32_t>(m.Start(match_)));
            case kLength:
                return Store(result, static_cast<std::int32_t>(m.End(match_) - m.Start(match_)));
            case kSubMatches:
                return Store(result, DispatchRef(std::make_shared<SubMatchesObject>(result_, match_)));
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    enum : DISPID { kValue = 1, kFirstIndex, kLength, kSubMatches };
    static constexpr std::array<std::u16string_view, 4> kNames{u"Value", u"FirstIndex", u"Length", u"SubMatches"};
    SharedResult result_;
    std::size_t match_;
};

class MatchCollectionObject final : public IDispatch {
public:
    explicit MatchCollectionObject(SharedResult result) : result_(std::move(result)) {}

    HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) override { return LookUp(kNames, name, id); }

    HRESULT Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args, Variant* result) override {
        if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
        const std::size_t count = result_->matches.Count();
        switch (id) {
            case kCount:
                if (!args.empty()) return DISP_E_BADPARAMCOUNT;
                return Store(result, static_cast<std::int32_t>(count));
            case kItem: {
                std::int32_t index = 0;
                if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
                if (!ReadIndex(args[0], index)) return DISP_E_TYPEMISMATCH;
                if (index < 0 || static_cast<std::size_t>(index) >= count) return kInvalidProcedureCall;
                return Store(result, DispatchRef(std::make_shared<MatchObject>(result_, static_cast<std::size_t>(index))));
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    enum : DISPID { kCount = 1, kItem };
    static constexpr std::array<std::u16string_view, 2> kNames{u"Count", u"Item"};
    SharedResult result_;
};

// The replacement text for one match.
void AppendReplacement(std::u16string& out, std::u16string_view replacement, const ExecuteResult& found,
                       std::size_t match) {
    const std::uint32_t groups = found.matches.groupCount;
    const std::u16string& subject = found.subject.str();
    const std::size_t start = found.matches.Start(match);
    const std::size_t end = found.matches.End(match);
    auto digit = [](char16_t c) { return c >= u'0' && c <= u'9' ? static_cast<int>(c - u'0') : -1; };
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        const char16_t c = replacement[i];
        if (c != u'$' || i + 1 >= replacement.size()) {
            out += c;
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == u'$') {
            out += u'$';
            ++i;
        } else if (next == u'&') {
            out.append(subject, start, end - start);
            ++i;
        } else if (next == u'`') {
            out.append(subject, 0, start);
            ++i;
        } else if (next == u'\'') {
            out.append(subject, end);
            ++i;
        } else if (const int d1 = digit(next); d1 >= 0) {
            const int d2 = i + 2 < replacement.size() ? digit(replacement[i + 2]) : -1;
            if (d2 >= 0 && d1 * 10 + d2 >= 1 && static_cast<std::uint32_t>(d1 * 10 + d2) <= groups) {
                out += found.Text(match, static_cast<std::uint32_t>(d1 * 10 + d2));
                i += 2;
            } else if (d1 >= 1 && static_cast<std::uint32_t>(d1) <= groups) {
                out += found.Text(match, static_cast<std::uint32_t>(d1));
                ++i;
            } else {
                out += c;  // "$0" or a group the pattern lacks: the text as written
            }
        } else {
            out += c;
        }
    }
}

class RegExpObject final : public IDispatch {
public:
    HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) override { return LookUp(kNames, name, id); }

    HRESULT Invoke(DISPID id, std::uint16_t flags, std::span<const Variant> args, Variant* result) override {
        switch (id) {
            case kIgnoreCase:
                return BoolProperty(ignoreCase_, flags, args, result);
            case kGlobal:
                return BoolProperty(global_, flags, args, result);
            case kMultiline:
                return BoolProperty(multiline_, flags, args, result);
            case kPattern:
                if (IsPut(flags)) {
                    if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
                    BString pattern;
                    if (!ReadString(args.back(), pattern)) return DISP_E_TYPEMISMATCH;
                    pattern_ = std::move(pattern);
                    compiled_.reset();
                    return S_OK;
                }
                if (!args.empty()) return DISP_E_BADPARAMCOUNT;
                return Store(result, pattern_);
            case kExecute:
            case kTest:
            case kReplace:
                return IsGet(flags) ? Method(id, args, result) : DISP_E_MEMBERNOTFOUND;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    enum : DISPID { kIgnoreCase = 1, kGlobal, kMultiline, kPattern, kExecute, kTest, kReplace };
    static constexpr std::array<std::u16string_view, 7> kNames{u"IgnoreCase", u"Global",  u"Multiline", u"Pattern",
                                                               u"Execute",    u"Test",    u"Replace"};

    HRESULT BoolProperty(bool& property, std::uint16_t flags, std::span<const Variant> args, Variant* result) {
        if (IsPut(flags)) {
            if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
            bool value = false;
            if (!ReadBool(args.back(), value)) return DISP_E_TYPEMISMATCH;
            if (&property != &global_ && value != property) compiled_.reset();  // the pattern compiles differently
            property = value;
            return S_OK;
        }
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        return Store(result, property);
    }

    // Compiled on first use after any change to the pattern or its options.
    const VbRegex* Compiled() {
        if (!compiled_) compiled_ = VbRegex::Compile(pattern_.str(), ignoreCase_, multiline_);
        return compiled_.get();
    }

    HRESULT Method(DISPID id, std::span<const Variant> args, Variant* result) {
        const std::size_t wanted = id == kReplace ? 2 : 1;
        if (args.size() != wanted) return DISP_E_BADPARAMCOUNT;
        auto found = std::make_shared<ExecuteResult>();
        if (!ReadString(args[0], found->subject)) return DISP_E_TYPEMISMATCH;
        BString replacement;
        if (id == kReplace && !ReadString(args[1], replacement)) return DISP_E_TYPEMISMATCH;
        const VbRegex* regex = Compiled();
        if (regex == nullptr) return kRegExpSyntaxError;

        // "Test" asks for one match whatever Global says.
        const std::u16string& subject = found->subject.str();
        found->matches = regex->Find(subject, id == kTest ? false : global_);
        if (id == kTest) return Store(result, found->matches.Count() > 0);
        if (id == kExecute) return Store(result, DispatchRef(std::make_shared<MatchCollectionObject>(std::move(found))));

        std::u16string replaced;
        std::size_t last = 0;
        for (std::size_t m = 0; m < found->matches.Count(); ++m) {
            replaced.append(subject, last, found->matches.Start(m) - last);
            AppendReplacement(replaced, replacement.str(), *found, m);
            last = found->matches.End(m);
        }
        replaced.append(subject, last);
        return Store(result, std::move(replaced));
    }

    bool ignoreCase_ = false;
    bool global_ = false;
    bool multiline_ = false;
    BString pattern_;
    std::shared_ptr<const VbRegex> compiled_;
};

}  // namespace

DispatchRef CreateRegExpComponent() { return std::make_shared<RegExpObject>(); }

}  // namespace velloran::platform
