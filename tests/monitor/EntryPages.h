#pragma once
// Category pages in the site's markup, made to measure for a test: the line end after "</a>" and
// the number of tabs before the name paragraph can be varied to show what the patterns refuse.

#include <string>
#include <vector>

namespace velloran::testing {

struct PageEntry {
    std::string link;
    std::string name;  // UTF-8, as the site serves it
};

struct Markup {
    bool brand = false;
    std::string lineEnd = "\n";
    int tabs = -1;  // -1: the right number for the markup (five brand, six general)
};

inline std::string EntryMarkup(const PageEntry& entry, int n, const Markup& markup) {
    const int tabs = markup.tabs >= 0 ? markup.tabs : (markup.brand ? 5 : 6);
    std::string html = "\t\t\t\t<li>\n\t\t\t\t\t<a  target=\"_blank\" href=\"" + entry.link;
    if (markup.brand) {
        html += "\" class=\"bonus_img\"><img src=\"/img/" + std::to_string(n) + ".png\" class=\"brand_pic\"></a>";
    } else {
        html += "\"><img src=\"/img/" + std::to_string(n) + ".png\" class=\"face\"></a>";
    }
    html += markup.lineEnd + std::string(static_cast<std::size_t>(tabs), '\t');
    html += "<p class=\"name\">" + entry.name + "<em>" + std::to_string(10 * n) + "</em></p>\n\t\t\t\t</li>\n";
    return html;
}

inline std::string CategoryPage(const std::vector<PageEntry>& entries, const Markup& markup = {}) {
    std::string html = "<html>\n<head><meta charset=\"utf-8\"></head>\n<body>\n<ul>\n";
    int n = 0;
    for (const PageEntry& entry : entries) html += EntryMarkup(entry, ++n, markup);
    return html + "</ul>\n</body>\n</html>\n";
}

}  // namespace velloran::testing
