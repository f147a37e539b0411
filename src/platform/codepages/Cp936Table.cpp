#include "platform/codepages/Cp936Table.h"

#include <iconv.h>

#include <memory>

namespace velloran::platform {
namespace {

// Owns one iconv conversion descriptor.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// One GBK pair through iconv; 0 when the converter does not know it.
char16_t DecodePairWithIconv(const IconvHandle& gbk, std::uint8_t lead, std::uint8_t trail) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[8] = {};
    char* inPtr = in;
    std::size_t inLeft = sizeof in;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    iconv(gbk.get(), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    if (iconv(gbk.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return 0;
    if (inLeft != 0 || sizeof out - outLeft != 2) return 0;  // not exactly one BMP character
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

// Windows gives the user-defined areas of code page 936 consecutive private-use code points,
// area by area and row by row.
void AddUserDefinedAreas(Cp936Table& table) {
    char16_t next = 0xE000;
    auto addArea = [&](int firstLead, int lastLead, int firstTrail, int lastTrail) {
        for (int lead = firstLead; lead <= lastLead; ++lead) {
            for (int trail = firstTrail; trail <= lastTrail; ++trail) {
                if (!Cp936Table::IsTrail(static_cast<std::uint8_t>(trail))) continue;
                auto& slot = table.pairToUnit[Cp936Table::Index(static_cast<std::uint8_t>(lead),
                                                                static_cast<std::uint8_t>(trail))];
                if (slot == 0) slot = next;
                ++next;
            }
        }
    };
    addArea(0xAA, 0xAF, 0xA1, 0xFE);  // U+E000-U+E233
    addArea(0xF8, 0xFE, 0xA1, 0xFE);  // U+E234-U+E4C5
    addArea(0xA1, 0xA7, 0x40, 0xA0);  // U+E4C6-U+E765
}

std::unique_ptr<Cp936Table> BuildTable() {
    auto table = std::make_unique<Cp936Table>();
    IconvHandle gbk("UTF-16LE", "GBK");
    if (gbk.valid()) {
        for (int lead = Cp936Table::kFirstLead; lead <= Cp936Table::kLastLead; ++lead) {
            for (int trail = Cp936Table::kFirstTrail; trail <= Cp936Table::kLastTrail; ++trail) {
                if (!Cp936Table::IsTrail(static_cast<std::uint8_t>(trail))) continue;
                table->pairToUnit[Cp936Table::Index(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail))] =
                    DecodePairWithIconv(gbk, static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail));
            }
        }
    }
    AddUserDefinedAreas(*table);
    for (int lead = Cp936Table::kFirstLead; lead <= Cp936Table::kLastLead; ++lead) {
        for (int trail = Cp936Table::kFirstTrail; trail <= Cp936Table::kLastTrail; ++trail) {
            auto& unit = table->pairToUnit[Cp936Table::Index(static_cast<std::uint8_t>(lead),
                                                             static_cast<std::uint8_t>(trail))];
            if (unit == 0 && Cp936Table::IsTrail(static_cast<std::uint8_t>(trail))) unit = u'?';
        }
    }

    table->unitToBytes.fill(Cp936Table::kUnmapped);
    for (std::uint16_t b = 0; b < 0x80; ++b) table->unitToBytes[b] = b;
    table->unitToBytes[0x20AC] = 0x80;
    table->unitToBytes[0xF8F5] = 0xFF;
    for (int lead = Cp936Table::kFirstLead; lead <= Cp936Table::kLastLead; ++lead) {
        for (int trail = Cp936Table::kFirstTrail; trail <= Cp936Table::kLastTrail; ++trail) {
            const char16_t unit = table->Pair(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail));
            if (unit < 0x80) continue;  // an undefined pair, "?"
            auto& bytes = table->unitToBytes[unit];
            if (bytes == Cp936Table::kUnmapped) bytes = static_cast<std::uint16_t>(lead << 8 | trail);
        }
    }
    return table;
}

}  // namespace

const Cp936Table& GetCp936Table() {
    static const std::unique_ptr<Cp936Table> table = BuildTable();
    return *table;
}

}  // namespace velloran::platform
