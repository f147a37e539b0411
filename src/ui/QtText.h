#pragma once
// Texts cross into Qt as QString and back through the code page 936 <-> UTF-16 conversions.

#include <QString>

#include "text/TextTypes.h"

namespace velloran {

QString ToQString(const Text& text);
Text ToText(const QString& string);

}  // namespace velloran
