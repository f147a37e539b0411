#include "ui/ControlFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace velloran {

QString ResolvedFontFamily(FontKind kind) {
    // The Windows names first (in Chinese and in English), then free CJK faces of the same style.
    const QStringList candidates =
        kind == FontKind::YaHei
            ? QStringList{QString::fromUtf8("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                          QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                          QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
                          QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Droid Sans Fallback")}
            : QStringList{QString::fromUtf8("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                          QStringLiteral("Noto Serif SC"), QStringLiteral("Source Han Serif SC"),
                          QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC"),
                          QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Droid Sans Fallback")};
    for (const QString& family : candidates) {
        if (QFontDatabase::hasFamily(family)) {
            return family;
        }
    }
    return QGuiApplication::font().family();
}

QFont ControlFont(FontKind kind, int pixelHeight) {
    QFont font(ResolvedFontFamily(kind));
    font.setPixelSize(pixelHeight);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace velloran
