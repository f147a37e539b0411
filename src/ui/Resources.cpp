#include "ui/Resources.h"

#include <QFile>

// The resources are compiled into this static library; their registration must be pulled in
// explicitly, or the linker drops it. Q_INIT_RESOURCE may not be used inside a namespace.
static void RegisterVelloranResources() {
    Q_INIT_RESOURCE(velloran);
}

namespace velloran {

namespace {

void EnsureResources() {
    static const bool registered = (RegisterVelloranResources(), true);
    (void)registered;
}

}  // namespace

ByteSet AlertSoundBytes() {
    EnsureResources();
    QFile file(QStringLiteral(":/velloran/sound/alert.wav"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    return ByteSet(bytes.begin(), bytes.end());
}

QPixmap ResourcePicture(const QString& name) {
    EnsureResources();
    return QPixmap(QStringLiteral(":/velloran/images/%1.png").arg(name));
}

}  // namespace velloran
