#define PCRE2_CODE_UNIT_WIDTH 16
#include "platform/vbscript_regexp/VbRegex.h"

#include <pcre2.h>

#include "platform/win_threads/WorkerThread.h"

namespace velloran::platform {
namespace {

// ---- the dialect, rewritten for PCRE2 ----

bool IsDecimal(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsOctal(char16_t c) { return c >= u'0' && c <= u'7'; }
bool IsHex(char16_t c) { return IsDecimal(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

void AppendHex(std::u16string& out, unsigned value, int digits) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

// One code unit as an escape PCRE2 reads the same way whatever the unit is.
void AppendCodeUnit(std::u16string& out, unsigned unit) {
    out += u"\\u";
    AppendHex(out, unit, 4);
}

class PatternTranslator {
public:
    explicit PatternTranslator(std::u16string_view pattern) : p_(pattern), groups_(CountGroups(pattern)) {}

    std::optional<std::u16string> Run() {
        while (i_ < p_.size()) {
            if (!Step()) return std::nullopt;
        }
        if (depth_ != 0) return std::nullopt;
        return std::move(out_);
    }

private:
    // Capturing groups in the whole pattern, so that "\n" can tell a back-reference (to a group
    // before or after it) from an octal escape.
    static std::uint32_t CountGroups(std::u16string_view p) {
        std::uint32_t count = 0;
        bool inClass = false;
        for (std::size_t i = 0; i < p.size(); ++i) {
            if (p[i] == u'\\') {
                ++i;
            } else if (inClass) {
                if (p[i] == u']') inClass = false;
            } else if (p[i] == u'[') {
                inClass = true;
                if (i + 1 < p.size() && p[i + 1] == u'^') ++i;
                if (i + 1 < p.size() && p[i + 1] == u']') ++i;  // "[]" and "[^]" are whole classes
            } else if (p[i] == u'(' && (i + 1 >= p.size() || p[i + 1] != u'?')) {
                ++count;
            }
        }
        return count;
    }

    bool Step() {
        const char16_t c = p_[i_];
        switch (c) {
            case u'\\':
                return Escape(false);
            case u'[':
                return CharacterClass();
            case u'(':
                return OpenGroup();
            case u')':
                if (depth_ == 0) return false;
                --depth_;
                out_ += c;
                ++i_;
                canRepeat_ = true;
                return true;
            case u'.':
                out_ += u"[^\\n]";
                ++i_;
                canRepeat_ = true;
                return true;
            case u'*':
            case u'+':
            case u'?':
                if (!canRepeat_) return false;
                out_ += c;
                ++i_;
                Lazy();
                return true;
            case u'{': {
                const std::size_t length = BracedQuantifierLength();
                if (length == 0) return Literal(u"\\{");
                if (!canRepeat_) return false;
                out_.append(p_.substr(i_, length));
                i_ += length;
                Lazy();
                return true;
            }
            case u'}':
                return Literal(u"\\}");
            case u']':
                return Literal(u"\\]");
            case u'^':
            case u'$':
            case u'|':
                out_ += c;
                ++i_;
                canRepeat_ = false;
                return true;
            default:
                out_ += c;
                ++i_;
                canRepeat_ = true;
                return true;
        }
    }

    bool Literal(std::u16string_view escaped) {
        out_ += escaped;
        ++i_;
        canRepeat_ = true;
        return true;
    }

    // A "?" right after a quantifier makes it lazy; anything that repeats a quantifier again
    // ("a**", the possessive "a*+") has nothing to repeat.
    void Lazy() {
        if (i_ < p_.size() && p_[i_] == u'?') {
            out_ += u'?';
            ++i_;
        }
        canRepeat_ = false;
    }

    // The length of "{n}", "{n,}" or "{n,m}" at the current place; 0 when there is none, and the
    // brace is then an ordinary character.
    std::size_t BracedQuantifierLength() const {
        std::size_t j = i_ + 1;
        const std::size_t firstDigits = j;
        while (j < p_.size() && IsDecimal(p_[j])) ++j;
        if (j == firstDigits) return 0;
        if (j < p_.size() && p_[j] == u',') {
            ++j;
            while (j < p_.size() && IsDecimal(p_[j])) ++j;
        }
        if (j < p_.size() && p_[j] == u'}') return j + 1 - i_;
        return 0;
    }

    bool OpenGroup() {
        if (i_ + 1 < p_.size() && p_[i_ + 1] == u'?') {
            // Only non-capturing groups and lookahead exist in the dialect.
            if (i_ + 2 >= p_.size()) return false;
            const char16_t kind = p_[i_ + 2];
            if (kind != u':' && kind != u'=' && kind != u'!') return false;
            out_.append(p_.substr(i_, 3));
            i_ += 3;
        } else {
            out_ += u'(';
            ++i_;
        }
        ++depth_;
        canRepeat_ = false;  // also rules out PCRE2's "(*VERB)" forms
        return true;
    }

    bool CharacterClass() {
        ++i_;
        bool negated = false;
        if (i_ < p_.size() && p_[i_] == u'^') {
            negated = true;
            ++i_;
        }
        canRepeat_ = true;
        if (i_ < p_.size() && p_[i_] == u']') {
            ++i_;
            out_ += negated ? u"[\\s\\S]" : u"(?!)";
            return true;
        }
        out_ += negated ? u"[^" : u"[";
        bool afterClassEscape = false;
        while (i_ < p_.size()) {
            const char16_t c = p_[i_];
            if (c == u']') {
                out_ += c;
                ++i_;
                canRepeat_ = true;
                return true;
            }
            const bool classEscape = c == u'\\' && IsClassEscapeAt(i_);
            if (c == u'-' && (afterClassEscape || IsClassEscapeAt(i_ + 1))) {
                // A range cannot end at a class such as \d: the dash is then a dash.
                out_ += u"\\-";
                ++i_;
            } else if (c == u'\\') {
                if (!Escape(true)) return false;
            } else if (c == u'[') {
                out_ += u"\\[";  // no POSIX classes such as "[:alpha:]"
                ++i_;
            } else {
                out_ += c;
                ++i_;
            }
            afterClassEscape = classEscape;
        }
        return false;  // the class is never closed
    }

    // "\d", "\D", "\w", "\W", "\s" or "\S" at `at`.
    bool IsClassEscapeAt(std::size_t at) const {
        if (at + 1 >= p_.size() || p_[at] != u'\\') return false;
        const char16_t d = p_[at + 1];
        return d == u'd' || d == u'D' || d == u'w' || d == u'W' || d == u's' || d == u'S';
    }

    bool Escape(bool inClass) {
        if (i_ + 1 >= p_.size()) return false;  // a trailing backslash
        const char16_t d = p_[i_ + 1];
        i_ += 2;
        if (!inClass) canRepeat_ = true;
        switch (d) {
            case u'd': case u'D': case u'w': case u'W': case u's': case u'S':
            case u'f': case u'n': case u'r': case u't':
                out_ += u'\\';
                out_ += d;
                return true;
            case u'b':
            case u'B':
                if (inClass) {
                    if (d == u'b') {
                        AppendCodeUnit(out_, 0x08);  // backspace inside a class
                    } else {
                        out_ += d;
                    }
                } else {
                    out_ += u'\\';
                    out_ += d;
                    canRepeat_ = false;  // an assertion
                }
                return true;
            case u'v':
                AppendCodeUnit(out_, 0x0B);
                return true;
            case u'u':
                return HexEscape(4, d);
            case u'x':
                return HexEscape(2, d);
            case u'c':
                if (i_ < p_.size() && IsAsciiLetter(p_[i_])) {
                    AppendCodeUnit(out_, p_[i_] % 32u);
                    ++i_;
                } else {
                    out_ += u"\\\\c";  // a backslash and a "c"
                }
                return true;
            default:
                break;
        }
        if (IsDecimal(d)) return DigitEscape(d, inClass);
        if (IsAsciiLetter(d)) {
            out_ += d;  // an escaped letter without meaning stands for itself
        } else {
            out_ += u'\\';
            out_ += d;
        }
        return true;
    }

    bool HexEscape(int digits, char16_t letter) {
        if (i_ + digits <= p_.size()) {
            unsigned value = 0;
            bool hex = true;
            for (int k = 0; k < digits; ++k) {
                const char16_t h = p_[i_ + k];
                if (!IsHex(h)) {
                    hex = false;
                    break;
                }
                value = value * 16 + (IsDecimal(h) ? h - u'0' : (h | 0x20) - u'a' + 10);
            }
            if (hex) {
                AppendCodeUnit(out_, value);
                i_ += digits;
                return true;
            }
        }
        out_ += letter;  // not followed by its digits: the letter itself
        return true;
    }

    // "\n" and "\nm": a back-reference to group nm when the pattern has that many groups, else
    // to group n followed by the digit m; otherwise an octal escape of up to three digits (at
    // most 0377), and "\8" and "\9" are the digits themselves.
    bool DigitEscape(char16_t first, bool inClass) {
        const std::size_t digitsStart = i_ - 1;
        if (!inClass && first != u'0') {
            const std::uint32_t one = first - u'0';
            const bool hasSecond = i_ < p_.size() && IsDecimal(p_[i_]);
            const std::uint32_t two = hasSecond ? one * 10 + (p_[i_] - u'0') : 0;
            std::size_t length = 0;
            if (hasSecond && two <= groups_) {
                length = 2;
            } else if (one <= groups_) {
                length = 1;
            }
            if (length > 0) {
                out_ += u"\\g{";
                out_.append(p_.substr(digitsStart, length));
                out_ += u'}';
                i_ = digitsStart + length;
                return true;
            }
        }
        if (!IsOctal(first)) {
            out_ += first;
            return true;
        }
        unsigned value = first - u'0';
        std::size_t j = digitsStart + 1;
        const std::size_t maxDigits = first <= u'3' ? 3 : 2;
        while (j < p_.size() && j - digitsStart < maxDigits && IsOctal(p_[j])) value = value * 8 + (p_[j++] - u'0');
        AppendCodeUnit(out_, value);
        i_ = j;
        return true;
    }

    std::u16string_view p_;
    std::uint32_t groups_;
    std::size_t i_ = 0;
    std::u16string out_;
    int depth_ = 0;
    bool canRepeat_ = false;
};

const PCRE2_UCHAR16* Units(std::u16string_view s) { return reinterpret_cast<const PCRE2_UCHAR16*>(s.data()); }

// Owners of the PCRE2 objects.
struct CodeDeleter {
    void operator()(pcre2_code_16* p) const { pcre2_code_free_16(p); }
};
struct CompileContextDeleter {
    void operator()(pcre2_compile_context_16* p) const { pcre2_compile_context_free_16(p); }
};
struct MatchContextDeleter {
    void operator()(pcre2_match_context_16* p) const { pcre2_match_context_free_16(p); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data_16* p) const { pcre2_match_data_free_16(p); }
};
struct JitStackDeleter {
    void operator()(pcre2_jit_stack_16* p) const { pcre2_jit_stack_free_16(p); }
};

}  // namespace

std::optional<std::u16string> TranslateVbPattern(std::u16string_view pattern) {
    return PatternTranslator(pattern).Run();
}

struct VbRegex::Code {
    std::unique_ptr<pcre2_code_16, CodeDeleter> code;
};

VbRegex::VbRegex(std::unique_ptr<Code> code, std::uint32_t groupCount)
    : code_(std::move(code)), groupCount_(groupCount) {}

VbRegex::~VbRegex() = default;

std::shared_ptr<const VbRegex> VbRegex::Compile(std::u16string_view pattern, bool ignoreCase, bool multiline) {
    const std::optional<std::u16string> translated = TranslateVbPattern(pattern);
    if (!translated) return nullptr;

    std::unique_ptr<pcre2_compile_context_16, CompileContextDeleter> context(pcre2_compile_context_create_16(nullptr));
    if (!context) return nullptr;
    pcre2_set_newline_16(context.get(), PCRE2_NEWLINE_ANYCRLF);  // "^" and "$" know CR and LF

    std::uint32_t options = PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_UTF |
                            PCRE2_NEVER_UCP | PCRE2_NEVER_BACKSLASH_C;
    if (ignoreCase) options |= PCRE2_CASELESS;
    if (multiline) options |= PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX;

    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    auto code = std::make_unique<Code>();
    code->code.reset(pcre2_compile_16(Units(*translated), translated->size(), options, &error, &errorOffset,
                                      context.get()));
    if (!code->code) return nullptr;
    // Without JIT (no executable memory, say) the interpreter runs the same pattern, slower.
    pcre2_jit_compile_16(code->code.get(), PCRE2_JIT_COMPLETE);

    std::uint32_t groups = 0;
    pcre2_pattern_info_16(code->code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
    return std::shared_ptr<const VbRegex>(new VbRegex(std::move(code), groups));
}

VbMatches VbRegex::Find(std::u16string_view subject, bool global) const {
    VbMatches result;
    result.groupCount = groupCount_;

    std::unique_ptr<pcre2_match_data_16, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern_16(code_->code.get(), nullptr));
    std::unique_ptr<pcre2_match_context_16, MatchContextDeleter> context(pcre2_match_context_create_16(nullptr));
    if (!data || !context) return result;
    pcre2_set_match_limit_16(context.get(), VbRegexLimits::kMatchLimit);
    pcre2_set_depth_limit_16(context.get(), VbRegexLimits::kDepthLimit);
    pcre2_set_heap_limit_16(context.get(), VbRegexLimits::kHeapLimitKiB);
    std::unique_ptr<pcre2_jit_stack_16, JitStackDeleter> jitStack(
        pcre2_jit_stack_create_16(VbRegexLimits::kJitStackStart, VbRegexLimits::kJitStackMax, nullptr));
    if (jitStack) pcre2_jit_stack_assign_16(context.get(), nullptr, jitStack.get());

    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(data.get());
    const std::size_t pairs = groupCount_ + 1;
    std::size_t start = 0;
    while (start <= subject.size()) {
        if (CurrentWorkerStopped()) break;  // a stopped worker only unwinds
        const int rc = pcre2_match_16(code_->code.get(), Units(subject), subject.size(), start, 0, data.get(),
                                      context.get());
        // No further match, or a limit reached: either way the list of matches ends here.
        if (rc <= 0) break;
        for (std::size_t g = 0; g < pairs; ++g) {
            const bool set = g < static_cast<std::size_t>(rc) && ovector[2 * g] != PCRE2_UNSET;
            result.offsets.push_back(set ? ovector[2 * g] : VbMatches::kUnset);
            result.offsets.push_back(set ? ovector[2 * g + 1] : VbMatches::kUnset);
        }
        if (!global) break;
        const std::size_t matchStart = ovector[0];
        const std::size_t matchEnd = ovector[1];
        start = matchEnd > matchStart ? matchEnd : matchEnd + 1;
    }
    return result;
}

}  // namespace velloran::platform
