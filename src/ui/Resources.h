#pragma once
// The pictures and the alert sound compiled into the program (resources/velloran.qrc).

#include <QPixmap>
#include <QString>

#include "text/TextTypes.h"

namespace velloran {

// The alert WAVE file, byte for byte as it is stored in resources/sound/alert.wav.
ByteSet AlertSoundBytes();

// A picture of resources/images by its file name without extension ("background", "logo_hover").
// A null pixmap when there is none.
QPixmap ResourcePicture(const QString& name);

}  // namespace velloran
