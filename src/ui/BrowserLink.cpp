#include "ui/BrowserLink.h"

#include <QRegularExpression>

#include "ui/QtText.h"

namespace velloran {

namespace {

// "scheme:" at the start, unless what follows the colon is a port ("host:8080", "host:8080/x"),
// which makes the text a host without a scheme.
bool StartsWithScheme(const QString& link) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]*:"));
    static const QRegularExpression hostAndPort(QStringLiteral("^[A-Za-z0-9.\\-]+:[0-9]+([/?#]|$)"));
    return scheme.match(link).hasMatch() && !hostAndPort.match(link).hasMatch();
}

}  // namespace

std::optional<QUrl> BrowserUrlFor(const Text& link) {
    QString text = ToQString(link).trimmed();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    if (text.startsWith(QStringLiteral("//"))) {
        text.prepend(QStringLiteral("http:"));
    } else if (!StartsWithScheme(text)) {
        text.prepend(QStringLiteral("http://"));
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QStringLiteral("http") && scheme != QStringLiteral("https")) ||
        url.host().isEmpty()) {
        return std::nullopt;
    }
    return url;
}

}  // namespace velloran
