#include "text/TextOpsScan.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Two ways of knowing where characters begin without stepping through every byte:
//
// The space, case and trim scans read a text in blocks of 64 bytes and build bit masks (bit i for
// byte i of the block): the bytes of 0x80 and above, the second bytes of characters, and the
// candidates. Which bytes are second bytes follows from the high-byte mask and one carried bit
// (does the block begin with the second byte of a character begun in the block before).
//
// The searches find byte matches first and settle only for those whether they begin a character,
// by looking back to the last byte below 0x80 (see BoundaryTracker).
//
// Texts shorter than a block, and the last bytes of every text, go through plain loops that carry
// on from what the block scan knew.

namespace velloran::scan {

namespace {

constexpr std::size_t kBlock = 64;

constexpr std::uint8_t FoldByte(std::uint8_t b) { return (b >= 'A' && b <= 'Z') ? static_cast<std::uint8_t>(b + 0x20) : b; }

constexpr bool IsLetter(std::uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

bool MatchesAt(Bytes hay, std::size_t at, Bytes needle, bool fold) {
    if (!fold) return std::memcmp(hay.data() + at, needle.data(), needle.size()) == 0;
    for (std::size_t k = 0; k < needle.size(); ++k) {
        if (FoldByte(hay[at + k]) != FoldByte(needle[k])) return false;
    }
    return true;
}

// The check of a block-scan candidate, whose first and last bytes already matched.
inline bool MiddleMatchesAt(const std::uint8_t* at, Bytes needle, bool fold) {
    const std::size_t m = needle.size();
    if (m <= 2) return true;
    if (!fold) {
        if (m > 18) return std::memcmp(at + 1, needle.data() + 1, m - 2) == 0;
        for (std::size_t k = 1; k + 1 < m; ++k) {
            if (at[k] != needle[k]) return false;
        }
        return true;
    }
    for (std::size_t k = 1; k + 1 < m; ++k) {
        if (FoldByte(at[k]) != FoldByte(needle[k])) return false;
    }
    return true;
}

bool IsSpaceAt(Bytes bytes, std::size_t at, std::size_t length) {
    return bytes[at] == 0x20 || (length == 2 && bytes[at] == 0xA1 && bytes[at + 1] == 0xA1);
}

// ---- 64-byte block masks ---------------------------------------------------------------------

#if defined(__SSE2__)

struct Block {
    __m128i v[4];
    explicit Block(const std::uint8_t* p) {
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    }
};

inline std::uint64_t Gather(__m128i a, __m128i b, __m128i c, __m128i d) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(a))) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(b))) << 16 |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(c))) << 32 |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(d))) << 48;
}

inline std::uint64_t HighMask(const Block& b) { return Gather(b.v[0], b.v[1], b.v[2], b.v[3]); }

inline bool AllAscii(const Block& b) {
    return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(b.v[0], b.v[1]), _mm_or_si128(b.v[2], b.v[3]))) == 0;
}

// Compares every byte of a block with one byte value; with `fold` set for a letter, with both of
// its cases (a letter's two cases differ only in bit 0x20, and no other byte folds onto it).
class ByteMatcher {
public:
    ByteMatcher(std::uint8_t value, bool fold)
        : fold_(fold && IsLetter(value)),
          value_(_mm_set1_epi8(static_cast<char>(fold_ ? (value | 0x20) : value))),
          caseBit_(_mm_set1_epi8(0x20)) {}

    __m128i Lane(__m128i v) const {
        return _mm_cmpeq_epi8(fold_ ? _mm_or_si128(v, caseBit_) : v, value_);
    }

private:
    bool fold_;
    __m128i value_;
    __m128i caseBit_;
};

#else

struct Block {
    const std::uint8_t* p;
    explicit Block(const std::uint8_t* bytes) : p(bytes) {}
};

inline std::uint64_t HighMask(const Block& b) {
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i) mask |= static_cast<std::uint64_t>(b.p[i] >> 7) << i;
    return mask;
}

inline bool AllAscii(const Block& b) { return HighMask(b) == 0; }

class ByteMatcher {
public:
    ByteMatcher(std::uint8_t value, bool fold) : fold_(fold && IsLetter(value)), value_(fold_ ? FoldByte(value) : value) {}
    bool Matches(std::uint8_t b) const { return (fold_ ? FoldByte(b) : b) == value_; }

private:
    bool fold_;
    std::uint8_t value_;
};

#endif

// Bit i set where `first` matches byte i of the block at `p` and `last` matches byte i of the
// block at `p + lastOffset`.
inline std::uint64_t PairMask(const std::uint8_t* p, const Block& block, const ByteMatcher& first,
                              std::size_t lastOffset, const ByteMatcher& last) {
#if defined(__SSE2__)
    const Block shifted(p + lastOffset);
    __m128i lanes[4];
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) lanes[k] = _mm_and_si128(first.Lane(block.v[k]), last.Lane(shifted.v[k]));
    const __m128i any = _mm_or_si128(_mm_or_si128(lanes[0], lanes[1]), _mm_or_si128(lanes[2], lanes[3]));
    if (_mm_movemask_epi8(any) == 0) return 0;
    return Gather(lanes[0], lanes[1], lanes[2], lanes[3]);
#else
    (void)block;
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        mask |= static_cast<std::uint64_t>(first.Matches(p[i]) && last.Matches(p[i + lastOffset])) << i;
    }
    return mask;
#endif
}

// Bit i set where byte i of the block is a space character candidate: 0x20, or 0xA1 followed by
// 0xA1 (which is the full-width space where the first 0xA1 begins a character).
inline std::uint64_t SpaceCandidates(const std::uint8_t* p, const Block& block) {
#if defined(__SSE2__)
    const Block next(p + 1);
    const __m128i half = _mm_set1_epi8(0x20);
    const __m128i full = _mm_set1_epi8(static_cast<char>(0xA1));
    __m128i lanes[4];
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
        lanes[k] = _mm_or_si128(_mm_cmpeq_epi8(block.v[k], half),
                                _mm_and_si128(_mm_cmpeq_epi8(block.v[k], full), _mm_cmpeq_epi8(next.v[k], full)));
    }
    const __m128i any = _mm_or_si128(_mm_or_si128(lanes[0], lanes[1]), _mm_or_si128(lanes[2], lanes[3]));
    if (_mm_movemask_epi8(any) == 0) return 0;
    return Gather(lanes[0], lanes[1], lanes[2], lanes[3]);
#else
    (void)block;
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        mask |= static_cast<std::uint64_t>(p[i] == 0x20 || (p[i] == 0xA1 && p[i + 1] == 0xA1)) << i;
    }
    return mask;
#endif
}

// Bit i set where byte i is an ASCII capital.
inline std::uint64_t CapitalMask(const Block& block) {
#if defined(__SSE2__)
    // Signed comparison: bytes of 0x80 and above are negative and fall outside 'A'..'Z'.
    const __m128i belowA = _mm_set1_epi8('A' - 1);
    const __m128i aboveZ = _mm_set1_epi8('Z' + 1);
    __m128i lanes[4];
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
        lanes[k] = _mm_and_si128(_mm_cmpgt_epi8(block.v[k], belowA), _mm_cmplt_epi8(block.v[k], aboveZ));
    }
    return Gather(lanes[0], lanes[1], lanes[2], lanes[3]);
#else
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i) mask |= static_cast<std::uint64_t>(block.p[i] >= 'A' && block.p[i] <= 'Z') << i;
    return mask;
#endif
}

// ---- character structure of a block ----------------------------------------------------------

constexpr std::uint64_t kEvenBits = 0x5555555555555555ULL;

// The second bytes of the characters in a block, from its high-byte mask. `carry` is 1 when byte 0
// is the second byte of a character begun before the block; it is updated for the next block.
//
// A byte after a byte below 0x80 always begins a character, so every maximal run of high bytes
// begins at a character boundary (at byte 1 when byte 0 is a carried second byte). Inside a run
// the characters begin at the run's start, start + 2, and so on. Adding each run's starting bit
// for the runs that start on an odd bit clears exactly those runs, which separates the runs by
// the parity of their start; the lead bytes are then the bits of the run's own parity.
inline std::uint64_t SecondBytes(std::uint64_t high, std::uint64_t& carry) {
    const std::uint64_t runs = high & ~carry;
    const std::uint64_t starts = runs & ~(runs << 1);
    const std::uint64_t oddStarted = runs & ~(runs + (starts & ~kEvenBits));
    const std::uint64_t evenStarted = runs & ~oddStarted;
    const std::uint64_t leads = (evenStarted & kEvenBits) | (oddStarted & ~kEvenBits);
    const std::uint64_t seconds = (leads << 1) | carry;
    carry = leads >> 63;
    return seconds;
}

// Only the carry out of a block: byte 63 begins a character when it ends a run of high bytes of
// odd length that started at a boundary, or when the whole block is high bytes and byte 0 was a
// carried second byte (then byte 63 is at an odd distance from the first lead, byte 1).
inline std::uint64_t CarryOut(std::uint64_t high, std::uint64_t carry) {
    if ((high >> 63) == 0) return 0;
    const std::uint64_t lows = ~high;
    if (lows == 0) return carry;
    const int runLength = std::countl_zero(lows);
    return static_cast<std::uint64_t>(runLength & 1);
}

// `candidates` without the block's second bytes, carrying the parity on to the next block. An
// all-ASCII block has no second byte but perhaps its first; a block without candidates only
// needs its carry.
inline std::uint64_t KeepCharacterStarts(const Block& block, std::uint64_t candidates, std::uint64_t& carry) {
    if (AllAscii(block)) {
        candidates &= ~carry;
        carry = 0;
        return candidates;
    }
    const std::uint64_t high = HighMask(block);
    if (candidates == 0) {
        carry = CarryOut(high, carry);
        return 0;
    }
    return candidates & ~SecondBytes(high, carry);
}

}  // namespace

// ---- searches ---------------------------------------------------------------------------------

namespace {

// What a visitor wants after a match.
enum class After {
    kStop,         // no further match is wanted
    kOverlapping,  // the next match may begin at the next character
    kPastMatch,    // the scan goes on right after the matched bytes, which begin a character
};

// Answers whether an offset begins a character, for offsets asked in increasing order.
//
// The byte after any byte below 0x80 begins a character, whether that low byte is a character of
// its own or the second byte of one. So the boundaries before an offset are settled by the last
// low byte before it: from the byte after it (or from the last offset known to be a boundary,
// whichever is later) only high bytes follow, two to a character, and the parity of the distance
// decides. The look back never passes the last known boundary, which moves up to every offset
// asked, so all the look-backs together read each byte at most once.
class BoundaryTracker {
public:
    BoundaryTracker(const std::uint8_t* bytes, std::size_t knownBoundary) : bytes_(bytes), known_(knownBoundary) {}

    // `at` must not lie before the last known boundary.
    bool BeginsCharacter(std::size_t at) {
        const std::size_t runStart = AfterLastLowByte(at);
        const bool begins = ((at - runStart) & 1) == 0;
        known_ = begins ? at : at + 1;  // a second byte is followed by a boundary
        return begins;
    }

    // Counts boundaries afresh from `at`, which is taken as a boundary.
    void Declare(std::size_t at) { known_ = at; }

private:
    // The offset after the last byte below 0x80 in [known_, at), or known_ when there is none.
    std::size_t AfterLastLowByte(std::size_t at) const {
        std::size_t end = at;
        if constexpr (std::endian::native == std::endian::little) {
            while (end - known_ >= 8) {
                std::uint64_t word;
                std::memcpy(&word, bytes_ + end - 8, 8);
                const std::uint64_t lows = ~word & 0x8080808080808080ULL;  // bit 7 of each low byte
                if (lows != 0) return end - 8 + static_cast<std::size_t>((63 - std::countl_zero(lows)) / 8) + 1;
                end -= 8;
            }
        }
        for (; end > known_; --end) {
            if (bytes_[end - 1] < 0x80) return end;
        }
        return known_;
    }

    const std::uint8_t* bytes_;
    std::size_t known_;
};

// Calls visit(at) for each match of `needle` at a character boundary from `from` on, left to right.
// After kPastMatch the byte after the match counts as a character boundary even when the matched
// bytes end with a lead byte that the text pairs with its next byte (a needle that ends in half a
// character); the boundary count then begins afresh from there.
//
// Byte matches are found first and only they are checked for a boundary. They are found by
// memchr on the needle's first byte while that byte is rare (long jumps), and by 64-byte blocks
// comparing the first and last bytes of the needle while it is common.
// Inlined with its visitor into each caller: a rewrite with a hit every few dozen bytes spends
// much of its time on the way from the scan to the visitor.
template <class Visit>
[[gnu::always_inline]] inline void ForEachMatch(Bytes hay, std::size_t from, Bytes needle, bool fold, Visit visit) {
    const std::size_t m = needle.size();
    if (m > hay.size() || from > hay.size() - m) return;
    const std::uint8_t* p = hay.data();
    const std::size_t lastStart = hay.size() - m;
    BoundaryTracker boundaries(p, from);
    std::size_t nextAllowed = from;  // no match may begin before this offset

    // A byte match at `at`: false when the visitor wants no more.
    auto consider = [&](std::size_t at) __attribute__((always_inline)) {
        if (!boundaries.BeginsCharacter(at)) return true;
        const After after = visit(at);
        if (after == After::kStop) return false;
        if (after == After::kPastMatch) {
            nextAllowed = at + m;
            boundaries.Declare(nextAllowed);
        }
        return true;
    };

    // memchr cannot look for a letter in both cases. A memchr jump shorter than kShortJump means
    // the first byte is common here, and the blocks take over; they hand back to memchr after a
    // run of blocks without candidates, a run that doubles each time memchr jumps short again, so
    // that a common first byte costs few memchr calls and a rare one is skipped at memchr speed.
    const bool canSkip = !(fold && IsLetter(needle[0]));
    constexpr std::size_t kShortJump = 128;
    constexpr int kMostEmptyBlocks = 64;
    bool skipping = canSkip;
    int emptyBlocks = 0;
    int emptyBlocksBeforeSkipping = 1;
    const ByteMatcher first(needle[0], fold);
    const ByteMatcher last(needle[m - 1], fold);
    std::size_t pos = from;
    while (pos <= lastStart) {
        if (skipping) {
            const void* found = std::memchr(p + pos, needle[0], lastStart - pos + 1);
            if (found == nullptr) return;
            const std::size_t at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - p);
            if (at - pos < kShortJump) {
                skipping = false;
                emptyBlocksBeforeSkipping = std::min(2 * emptyBlocksBeforeSkipping, kMostEmptyBlocks);
            } else {
                emptyBlocksBeforeSkipping = 1;
            }
            if (MatchesAt(hay, at, needle, fold) && !consider(at)) return;
            pos = std::max(at + 1, nextAllowed);
            continue;
        }
        // A block of candidate starts needs its 64 bytes and the needle's length beyond them.
        if (lastStart - pos < kBlock - 1) break;
        const Block block(p + pos);
        std::uint64_t candidates = PairMask(p + pos, block, first, m - 1, last);
        if (candidates == 0) {
            if (canSkip && ++emptyBlocks >= emptyBlocksBeforeSkipping) {
                skipping = true;
                emptyBlocks = 0;
            }
            pos += kBlock;
            continue;
        }
        emptyBlocks = 0;
        while (candidates != 0) {
            const std::size_t at = pos + static_cast<std::size_t>(std::countr_zero(candidates));
            candidates &= candidates - 1;
            if (at < nextAllowed || !MiddleMatchesAt(p + at, needle, fold)) continue;
            if (!consider(at)) return;
        }
        pos += kBlock;
    }
    // The last starts, one byte at a time.
    for (std::size_t at = std::max(pos, nextAllowed); at <= lastStart; at = std::max(at + 1, nextAllowed)) {
        if (MatchesAt(hay, at, needle, fold) && !consider(at)) return;
    }
}

}  // namespace

std::size_t FindAtBoundary(Bytes hay, std::size_t from, Bytes needle, bool fold) {
    std::size_t found = kNotFound;
    ForEachMatch(hay, from, needle, fold, [&](std::size_t at) __attribute__((always_inline)) {
        found = at;
        return After::kStop;
    });
    return found;
}

std::size_t FindLastAtBoundary(Bytes hay, Bytes needle, bool fold) {
    std::size_t found = kNotFound;
    ForEachMatch(hay, 0, needle, fold, [&](std::size_t at) __attribute__((always_inline)) {
        found = at;
        return After::kOverlapping;
    });
    return found;
}

namespace {

// Moves `n` bytes from `source` down to `target` (target <= source; the ranges may overlap). The
// runs between hits are short, so they are moved in 16-byte steps rather than by a library call:
// each step loads before it stores, and a store never reaches bytes that a later step loads
// because the target lies below the source. The last 16 bytes are loaded first, before any store.
inline void MoveDown(char* target, const char* source, std::size_t n) {
#if defined(__SSE2__)
    if (n >= 16 && n <= 512) {
        const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + n - 16));
        for (std::size_t i = 0; i + 16 <= n; i += 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + n - 16), tail);
        return;
    }
#endif
    std::memmove(target, source, n);
}

// Builds a text from a source text by dropping or replacing marked spans, left to right. When no
// replacement is longer than its span the result is made in place: one copy of the whole source,
// then each kept run moves left over what was dropped. Otherwise the runs are appended.
class SpanRewriter {
public:
    SpanRewriter(const Text& source, bool shrinking) : source_(source), shrinking_(shrinking) {}

    [[gnu::always_inline]] void Replace(std::size_t at, std::size_t length, std::string_view replacement) {
        if (!started_) Start();
        if (shrinking_) {
            char* data = out_.data();
            if (written_ != kept_) MoveDown(data + written_, data + kept_, at - kept_);
            written_ += at - kept_;
            for (const char c : replacement) data[written_++] = c;
        } else {
            out_.append(source_.data() + kept_, at - kept_);
            out_.append(replacement);
        }
        kept_ = at + length;
    }

    Text Finish() {
        if (!started_) return source_;
        if (shrinking_) {
            char* data = out_.data();
            std::memmove(data + written_, data + kept_, source_.size() - kept_);
            out_.resize(written_ + (source_.size() - kept_));
        } else {
            out_.append(source_.data() + kept_, source_.size() - kept_);
        }
        return std::move(out_);
    }

private:
    void Start() {
        started_ = true;
        if (shrinking_) {
            out_ = source_;
        } else {
            out_.reserve(source_.size() + source_.size() / 8);
        }
    }

    const Text& source_;
    const bool shrinking_;
    bool started_ = false;
    Text out_;
    std::size_t kept_ = 0;     // source offset of the first byte not yet placed
    std::size_t written_ = 0;  // result length so far (in-place mode)
};

}  // namespace

Text ReplaceAll(const Text& text, Bytes needle, std::string_view replacement, bool fold) {
    SpanRewriter rewriter(text, replacement.size() <= needle.size());
    ForEachMatch(BytesOf(text), 0, needle, fold, [&](std::size_t at) __attribute__((always_inline)) {
        rewriter.Replace(at, needle.size(), replacement);
        return After::kPastMatch;
    });
    return rewriter.Finish();
}

TextArray SplitAll(const Text& text, Bytes separator) {
    TextArray pieces;
    std::size_t pieceStart = 0;
    ForEachMatch(BytesOf(text), 0, separator, false, [&](std::size_t at) __attribute__((always_inline)) {
        pieces.emplace_back(text.data() + pieceStart, at - pieceStart);
        pieceStart = at + separator.size();
        return After::kPastMatch;
    });
    if (pieceStart < text.size()) pieces.emplace_back(text.data() + pieceStart, text.size() - pieceStart);
    return pieces;
}

namespace {

// Calls visit(at, length) for each space character (0x20, or the full-width 0xA1 0xA1).
template <class Visit>
[[gnu::always_inline]] inline void ForEachSpace(Bytes bytes, Visit visit) {
    const std::uint8_t* p = bytes.data();
    std::size_t pos = 0;
    std::uint64_t carry = 0;
    while (bytes.size() - pos > kBlock) {  // one byte beyond the block for 0xA1 0xA1
        const Block block(p + pos);
        std::uint64_t candidates = KeepCharacterStarts(block, SpaceCandidates(p + pos, block), carry);
        while (candidates != 0) {
            const std::size_t at = pos + static_cast<std::size_t>(std::countr_zero(candidates));
            candidates &= candidates - 1;
            visit(at, bytes[at] == 0x20 ? std::size_t{1} : std::size_t{2});
        }
        pos += kBlock;
    }
    for (std::size_t at = pos + carry; at < bytes.size();) {
        const std::size_t length = CharLength(bytes, at);
        if (IsSpaceAt(bytes, at, length)) visit(at, length);
        at += length;
    }
}

}  // namespace

Text RemoveSpaces(const Text& text) {
    SpanRewriter rewriter(text, true);
    ForEachSpace(BytesOf(text), [&](std::size_t at, std::size_t length) __attribute__((always_inline)) {
        rewriter.Replace(at, length, {});
    });
    return rewriter.Finish();
}

std::size_t SkipLeadingSpaces(Bytes bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = CharLength(bytes, at);
        if (!IsSpaceAt(bytes, at, length)) break;
        at += length;
    }
    return at;
}

namespace {

// The first character boundary at or after `target`, counting from `from` (a boundary).
std::size_t BoundaryAtOrAfter(Bytes bytes, std::size_t from, std::size_t target) {
    const std::uint8_t* p = bytes.data();
    std::size_t pos = from;
    std::uint64_t carry = 0;
    while (target > pos && target - pos >= kBlock) {
        const Block block(p + pos);
        carry = AllAscii(block) ? 0 : CarryOut(HighMask(block), carry);
        pos += kBlock;
    }
    std::size_t at = pos + carry;
    while (at < target) at += CharLength(bytes, at);
    return at;
}

}  // namespace

std::size_t EndBeforeTrailingSpaces(Bytes bytes, std::size_t begin) {
    // Every trailing space lies inside the final run of 0x20 and 0xA1 bytes; only that run needs
    // its character boundaries, and the scan reaches it block by block.
    std::size_t runStart = bytes.size();
    while (runStart > begin && (bytes[runStart - 1] == 0x20 || bytes[runStart - 1] == 0xA1)) --runStart;
    if (runStart == bytes.size()) return bytes.size();
    const std::size_t boundary = BoundaryAtOrAfter(bytes, begin, runStart);
    // The character before the run (or the one the run's first byte completes) ends with a byte
    // that is neither 0x20 nor 0xA1, so it is no space.
    std::size_t end = boundary == runStart ? runStart : runStart + 1;
    for (std::size_t at = boundary; at < bytes.size();) {
        const std::size_t length = CharLength(bytes, at);
        const bool space = IsSpaceAt(bytes, at, length);
        at += length;
        if (!space) end = at;
    }
    return end;
}

void LowerSingleByteCapitals(Text& text) {
    const Bytes bytes = BytesOf(text);
    const std::uint8_t* p = bytes.data();
    std::size_t pos = 0;
    std::uint64_t carry = 0;
    while (bytes.size() - pos >= kBlock) {
        const Block block(p + pos);
        std::uint64_t capitals = KeepCharacterStarts(block, CapitalMask(block), carry);
        while (capitals != 0) {
            text[pos + static_cast<std::size_t>(std::countr_zero(capitals))] += 0x20;
            capitals &= capitals - 1;
        }
        pos += kBlock;
    }
    for (std::size_t at = pos + carry; at < bytes.size(); at += CharLength(bytes, at)) {
        if (bytes[at] >= 'A' && bytes[at] <= 'Z') text[at] = static_cast<char>(bytes[at] + 0x20);
    }
}

}  // namespace velloran::scan
