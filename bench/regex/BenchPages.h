#pragma once
// The pages the conversion and regex benchmarks run over, made the same way on every run.

#include <cstdint>
#include <string>

namespace velloran::bench {

// A UTF-8 character of the common CJK block (all of them exist in code page 936).
inline void AppendCjkUtf8(std::string& out, std::uint32_t& seed) {
    seed = seed * 1103515245u + 12345u;
    const std::uint32_t cp = 0x4E00 + (seed >> 8) % (0x9FA5 - 0x4E00 + 1);
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

// A mostly-Chinese UTF-8 page of about `size` bytes: paragraphs of Chinese text in light markup.
inline std::string ChineseUtf8Page(std::size_t size) {
    std::string page = "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"></head><body>\r\n";
    std::uint32_t seed = 7;
    while (page.size() < size) {
        page += "<p class=\"t\">";
        for (int i = 0; i < 60; ++i) AppendCjkUtf8(page, seed);
        page += "</p>\r\n";
    }
    page += "</body></html>";
    return page;
}

// A code page 936 listing page of about `size` bytes holding `entries` entries in the form the
// scan's general entry pattern reads, with Chinese filler between them.
inline std::string ListingPageGbk(int entries, std::size_t size) {
    const std::size_t fillerPerEntry = size / static_cast<std::size_t>(entries);
    std::string page = "<html><body><ul class=\"list\">\r\n";
    std::uint32_t seed = 11;
    for (int i = 0; i < entries; ++i) {
        const std::string n = std::to_string(i);
        const std::size_t before = page.size();
        page += "<li><a  target=\"_blank\" href=\"http://hongbao.example/h5/" + n + "?ouid=" + n +
                "\"><img src=\"http://img.example/" + n + ".jpg\" class=\"pic\"></a>\n\t\t\t\t\t\t";
        page += "<p class=\"name\">\xBA\xEC\xB0\xFC" + n + "<em>\xD2\xD1\xC7\xC0" + n + "</em></p>\r\n";
        page += "<div class=\"info\">";
        while (page.size() - before < fillerPerEntry - 8) {
            seed = seed * 1103515245u + 12345u;
            page += static_cast<char>(0xB0 + (seed >> 8) % 0x38);  // a GB2312 hanzi
            page += static_cast<char>(0xA1 + (seed >> 16) % 0x5E);
        }
        page += "</div>\r\n";
    }
    page += "</ul></body></html>";
    return page;
}

}  // namespace velloran::bench
