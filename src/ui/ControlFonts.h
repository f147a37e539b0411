#pragma once
// The window's fonts. The named Chinese fonts come with Windows; where they are not installed an
// installed CJK font of the same kind stands in, so the Chinese texts never render as boxes.

#include <QFont>
#include <QString>

namespace velloran {

enum class FontKind {
    YaHei,   // "微软雅黑", a sans-serif face
    SimSun,  // "宋体", a Song (serif) face
};

// The family used for `kind`: the named font when installed, else the first installed stand-in,
// else the application's default family.
QString ResolvedFontFamily(FontKind kind);

// A normal-weight font of `kind` whose characters are `pixelHeight` pixels high.
QFont ControlFont(FontKind kind, int pixelHeight);

}  // namespace velloran
