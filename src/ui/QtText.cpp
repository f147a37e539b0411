#include "ui/QtText.h"

#include "text/CodePageConversion.h"

namespace velloran {

QString ToQString(const Text& text) {
    if (text.empty()) {
        return {};
    }
    // Units low byte first; assemble them rather than reinterpret the bytes, which need not be
    // aligned for char16_t.
    const ByteSet units = GbkToUtf16(text);
    QString string;
    string.reserve(static_cast<qsizetype>(units.size() / 2));
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        const auto unit = static_cast<char16_t>(units[i] | (units[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        string.append(QChar(unit));
    }
    return string;
}

Text ToText(const QString& string) {
    if (string.isEmpty()) {
        return {};
    }
    ByteSet units;
    units.reserve(static_cast<std::size_t>(string.size()) * 2 + 2);
    for (const QChar c : string) {
        units.push_back(static_cast<std::uint8_t>(c.unicode() & 0xFF));
        units.push_back(static_cast<std::uint8_t>(c.unicode() >> 8));
    }
    units.push_back(0);
    units.push_back(0);
    return Utf16ToGbk(units);
}

}  // namespace velloran
