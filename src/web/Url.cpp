#include "web/Url.h"

#include "text/TextOps.h"

namespace velloran {

namespace {

// The port rule shared by both modes: without `keepPort` the host ends at its first colon.
Text ApplyPortRule(const Text& hostPart, bool keepPort) {
    if (keepPort) return hostPart;
    const std::int32_t colon = FindText(hostPart, ":");
    return colon == -1 ? hostPart : TextLeft(hostPart, colon - 1);
}

// The host part between the scheme and the first "/" after it; a URL with no "http://" anywhere
// is read as an http URL, and otherwise the first "http://" in it is the one used.
Text HostPart(const Text& lowered) {
    Text s = lowered;
    if (TextRight(s, 1) != "/") s += '/';
    if (TextLeft(s, 8) == "https://") return ExtractBetween(s, "https://", "/");
    if (FindText(s, "http://") == -1) s = ConcatText(Text("http://"), s);
    return ExtractBetween(s, "http://", "/");
}

Text LastTwoLabels(const Text& host) {
    const TextArray labels = SplitText(host, ".");
    if (labels.size() <= 1) return host;
    return ConcatText(labels[labels.size() - 2], Text("."), labels.back());
}

// The level mode: walks back through the dots of the host with FindTextReverse, each call ending
// before the dot the previous one found.
Text HostByLevels(const Text& lowered, bool domainOnly, std::int32_t levels) {
    Text s = ReplaceText(lowered, "http://", std::nullopt, true);
    s = ReplaceText(s, "https://", std::nullopt, true);
    const std::int32_t slash = FindText(s, "/");
    if (slash != -1) s = TextLeft(s, slash - 1);
    const std::int32_t length = TextLength(s);
    std::int32_t h = length;
    for (std::int32_t step = 0; step < levels; ++step) {
        h = FindTextReverse(s, ".", h);
        if (h == -1) break;  // every further step finds nothing either
    }
    const std::int32_t d = FindTextReverse(s, ".", h);
    if (domainOnly) return TextRight(s, length - d);
    if (d == -1) return s;
    const std::int32_t d2 = FindTextReverse(s, ".", d);
    return d2 == -1 ? s : TextRight(s, length - d2);
}

// The length of the "http://" or "https://" (any letter case) the URL begins with, else 0.
std::int32_t SchemeLength(const Text& url) {
    const Text lowered = ToLower(TextLeft(url, 8));
    if (lowered == "https://") return 8;
    if (TextLeft(lowered, 7) == "http://") return 7;
    return 0;
}

}  // namespace

Text UrlHost(const Text& url, std::optional<bool> domainOnly, std::optional<bool> keepPort,
             std::optional<std::int32_t> levels) {
    const Text lowered = ToLower(url);
    if (levels.has_value()) {
        return ApplyPortRule(HostByLevels(lowered, domainOnly.value_or(false), *levels), keepPort.value_or(false));
    }
    Text s = HostPart(lowered);
    if (domainOnly.value_or(false)) s = LastTwoLabels(s);
    return ApplyPortRule(s, keepPort.value_or(false));
}

std::int32_t UrlPort(const Text& url) {
    const Text hostPart = UrlHost(url, std::nullopt, true);
    const std::int32_t colon = FindTextReverse(hostPart, ":");
    if (colon == -1) return TextLeft(ToLower(url), 5) == "https" ? 443 : 80;
    return TextToInt(TextRight(hostPart, TextLength(hostPart) - colon));
}

Text UrlPath(const Text& url) {
    const Text host = UrlHost(url);
    // The host is looked for after the scheme the URL begins with: a short host such as "h", "t"
    // or "s" also occurs inside "http://" or "https://", and finding it there would make the path
    // start at the scheme's "//". An empty host stands right after the scheme.
    const std::int32_t hostStart = SchemeLength(url) + 1;
    const std::int32_t at = host.empty() ? hostStart : FindText(url, host, hostStart, true);
    const std::int32_t slash = FindText(url, "/", at, true);
    if (slash <= 0) return Text("/");
    return TextRight(url, TextLength(url) - slash + 1);
}

}  // namespace velloran
