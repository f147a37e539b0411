#pragma once
// The code page 936 mapping in both directions, built once on first use and read-only after that,
// so any number of threads can convert at the same time.

#include <array>
#include <cstdint>

namespace velloran::platform {

struct Cp936Table {
    static constexpr int kFirstLead = 0x81;
    static constexpr int kLastLead = 0xFE;
    static constexpr int kFirstTrail = 0x40;
    static constexpr int kLastTrail = 0xFE;
    // In unitToBytes: the unit has no code page 936 form.
    static constexpr std::uint16_t kUnmapped = 0xFFFF;

    // lead << 8 | trail -> UTF-16 unit; "?" where a lead and a trail byte make no character.
    // Indexed by the two bytes as they stand, so decoding a pair needs no arithmetic.
    std::array<char16_t, 0x10000> pairToUnit{};
    // UTF-16 unit -> its bytes: below 0x100 one byte, else lead << 8 | trail; kUnmapped if none.
    std::array<std::uint16_t, 0x10000> unitToBytes{};

    static constexpr bool IsLead(std::uint8_t b) { return b >= kFirstLead && b <= kLastLead; }
    static constexpr bool IsTrail(std::uint8_t b) { return b >= kFirstTrail && b <= kLastTrail && b != 0x7F; }

    static std::size_t Index(std::uint8_t lead, std::uint8_t trail) { return std::size_t{lead} << 8 | trail; }
    char16_t Pair(std::uint8_t lead, std::uint8_t trail) const { return pairToUnit[Index(lead, trail)]; }
};

// The table, built from the system's GBK converter plus the Windows additions (0x80, 0xFF and
// the user-defined areas) the first time it is asked for.
const Cp936Table& GetCp936Table();

}  // namespace velloran::platform
