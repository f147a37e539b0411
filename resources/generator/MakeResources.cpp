// Draws the window's pictures and synthesises the alert chime into a resources folder.
//
//   velloran_make_resources <resources folder>
//
// Built on request only (cmake --build <dir> --target velloran_make_resources); the files it writes
// are committed, so the normal build never runs it. Everything is drawn from code: re-running it
// reproduces the same pictures and the same sound.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

// The red-packet palette.
const QColor kDeepRed(0x8E, 0x0A, 0x12);
const QColor kRed(0xC8, 0x16, 0x1D);
const QColor kBrightRed(0xE8, 0x2A, 0x2A);
const QColor kDarkGold(0xB8, 0x86, 0x1B);
const QColor kGold(0xF1, 0xC2, 0x4B);
const QColor kLightGold(0xFF, 0xE7, 0x9A);
const QColor kPanel(0xF6, 0xF6, 0xF6);

QString CjkFamily() {
    for (const char* family : {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Zen Hei", "Droid Sans Fallback"}) {
        if (QFontDatabase::hasFamily(QString::fromUtf8(family))) {
            return QString::fromUtf8(family);
        }
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QImage NewImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QLinearGradient VerticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0.0, top);
    gradient.setColorAt(1.0, bottom);
    return gradient;
}

QLinearGradient GoldGradient(const QRectF& rect, bool bright) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0.0, bright ? QColor(0xFF, 0xF4, 0xC4) : kLightGold);
    gradient.setColorAt(0.45, bright ? QColor(0xFF, 0xD8, 0x66) : kGold);
    gradient.setColorAt(1.0, bright ? QColor(0xD9, 0xA0, 0x2A) : kDarkGold);
    return gradient;
}

// A lucky-cloud scroll: three overlapping arcs with a curl, the classic festive ornament.
void DrawCloud(QPainter& painter, QPointF origin, double scale, const QColor& colour) {
    QPainterPath path;
    path.moveTo(origin + QPointF(0, 10) * scale);
    path.cubicTo(origin + QPointF(0, 0) * scale, origin + QPointF(14, 0) * scale, origin + QPointF(14, 8) * scale);
    path.cubicTo(origin + QPointF(16, -4) * scale, origin + QPointF(34, -4) * scale, origin + QPointF(32, 8) * scale);
    path.cubicTo(origin + QPointF(40, 2) * scale, origin + QPointF(50, 8) * scale, origin + QPointF(44, 14) * scale);
    path.lineTo(origin + QPointF(0, 14) * scale);
    path.closeSubpath();
    painter.setPen(QPen(colour, 1.2 * scale));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.drawArc(QRectF(origin + QPointF(6, 6) * scale, QSizeF(8, 6) * scale), 0, 180 * 16);
    painter.drawArc(QRectF(origin + QPointF(22, 4) * scale, QSizeF(8, 6) * scale), 0, 180 * 16);
}

// A gold coin with a square hole, the old round cash coin.
void DrawCoin(QPainter& painter, QPointF centre, double radius, double alpha) {
    QColor rim = kGold;
    rim.setAlphaF(alpha);
    QColor fill = kLightGold;
    fill.setAlphaF(alpha * 0.6);
    painter.setPen(QPen(rim, 1.0));
    painter.setBrush(fill);
    painter.drawEllipse(centre, radius, radius);
    const double hole = radius * 0.36;
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(centre.x() - hole, centre.y() - hole, 2 * hole, 2 * hole));
}

QImage DrawBackground() {
    const int width = 750;
    const int height = 576;
    QImage image = NewImage(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // Red body, darker towards the bottom, with a warm glow behind the title area.
    painter.fillRect(image.rect(), VerticalGradient(image.rect(), kRed, kDeepRed));
    QRadialGradient glow(QPointF(180, 0), 420);
    glow.setColorAt(0.0, QColor(0xFF, 0x5A, 0x3A, 110));
    glow.setColorAt(1.0, QColor(0xFF, 0x5A, 0x3A, 0));
    painter.fillRect(image.rect(), glow);

    // Faint coins and clouds scattered over the red, always in the same places.
    std::mt19937 random(936);
    std::uniform_real_distribution<double> x(0, width);
    std::uniform_real_distribution<double> y(0, 70);
    for (int i = 0; i < 14; ++i) {
        DrawCoin(painter, QPointF(x(random), y(random)), 5 + (i % 3) * 2, 0.18);
    }
    QColor cloud = kGold;
    cloud.setAlpha(70);
    DrawCloud(painter, QPointF(300, 22), 1.4, cloud);
    DrawCloud(painter, QPointF(470, 8), 1.0, cloud);
    DrawCloud(painter, QPointF(560, 36), 0.8, cloud);

    // Gold rule under the title area.
    painter.setPen(QPen(kGold, 2));
    painter.drawLine(QPointF(8, 68), QPointF(width - 8, 68));
    painter.setPen(QPen(QColor(kGold.red(), kGold.green(), kGold.blue(), 110), 1));
    painter.drawLine(QPointF(8, 72), QPointF(width - 8, 72));

    // Control strip: a cream panel behind the combo box and the buttons, with a light pad for the
    // sound check box.
    const QRectF strip(8, 76, width - 16, 56);
    QPainterPath stripPath;
    stripPath.addRoundedRect(strip, 8, 8);
    painter.setPen(QPen(kDarkGold, 1.5));
    painter.setBrush(VerticalGradient(strip, QColor(0xFF, 0xF3, 0xD6), QColor(0xF8, 0xDF, 0xA8)));
    painter.drawPath(stripPath);
    painter.setPen(QPen(QColor(0xE0, 0xC0, 0x80), 1));
    painter.setBrush(kPanel);
    painter.drawRoundedRect(QRectF(555, 88, 130, 34), 6, 6);

    // Frame of the results list: a gold edge around a white sheet (the list covers the sheet).
    const QRectF sheet(9, 140, 732, 417);
    painter.setPen(QPen(kGold, 2));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(sheet.adjusted(-1, -1, 1, 1), 3, 3);

    // Footer ornament below the list and a gold hairline around the whole window.
    painter.setPen(QPen(QColor(kGold.red(), kGold.green(), kGold.blue(), 150), 1));
    painter.drawLine(QPointF(200, 566), QPointF(550, 566));
    DrawCoin(painter, QPointF(375, 566), 4, 0.9);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kGold, 2));
    painter.drawRect(QRectF(1, 1, width - 2, height - 2));
    painter.setPen(QPen(kDeepRed, 1));
    painter.drawRect(QRectF(3.5, 3.5, width - 7, height - 7));
    return image;
}

QImage DrawBanner() {
    QImage image = NewImage(217, 33);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 0.5, 216, 32);
    painter.setPen(QPen(kGold, 1.5));
    painter.setBrush(VerticalGradient(body, QColor(0xA8, 0x10, 0x18), QColor(0x6E, 0x06, 0x0C)));
    painter.drawRoundedRect(body, 6, 6);
    painter.setPen(QPen(QColor(kGold.red(), kGold.green(), kGold.blue(), 120), 1));
    painter.drawRoundedRect(body.adjusted(2.5, 2.5, -2.5, -2.5), 4, 4);
    // A coin before the name and a curl of cloud after it.
    DrawCoin(painter, QPointF(12.5, 16.5), 6, 1.0);
    QColor cloud = kGold;
    cloud.setAlpha(160);
    DrawCloud(painter, QPointF(170, 10), 0.8, cloud);
    return image;
}

enum class Look { Normal, Hover, Pressed };

QImage DrawRoundButton(bool close, Look look) {
    QImage image = NewImage(24, 24);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(1.5, 1.5, 21, 21);
    painter.setPen(QPen(look == Look::Hover ? kLightGold : kDarkGold, 1.2));
    if (look == Look::Hover) {
        painter.setBrush(close ? QBrush(kBrightRed) : QBrush(GoldGradient(disc, true)));
    } else {
        painter.setBrush(GoldGradient(disc, false));
    }
    painter.drawEllipse(disc);
    const QColor mark = (look == Look::Hover && close) ? QColor(Qt::white) : kDeepRed;
    painter.setPen(QPen(mark, 2.2, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        painter.drawLine(QPointF(8, 8), QPointF(16, 16));
        painter.drawLine(QPointF(16, 8), QPointF(8, 16));
    } else {
        painter.drawLine(QPointF(7.5, 12.5), QPointF(16.5, 12.5));
    }
    return image;
}

QImage DrawEnvelope(int width, int height, Look look, const QString& family) {
    QImage image = NewImage(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double scale = width / 34.0;
    const double shift = look == Look::Pressed ? 1.0 * scale : 0.0;
    const QRectF body(1.5 * scale, 1.5 * scale + shift, width - 3 * scale, height - 3 * scale - shift);
    const QColor top = look == Look::Hover ? kBrightRed : (look == Look::Pressed ? QColor(0xA0, 0x0E, 0x16) : kRed);
    painter.setPen(QPen(look == Look::Hover ? kLightGold : kDarkGold, 1.2 * scale));
    painter.setBrush(VerticalGradient(body, top, kDeepRed));
    painter.drawRoundedRect(body, 4 * scale, 4 * scale);

    // The flap: a darker curved lid across the upper third.
    QPainterPath flap;
    const double flapBottom = body.top() + body.height() * 0.42;
    flap.moveTo(body.topLeft() + QPointF(0.6 * scale, 3 * scale));
    flap.quadTo(QPointF(body.center().x(), flapBottom + 8 * scale), body.topRight() + QPointF(-0.6 * scale, 3 * scale));
    flap.lineTo(body.topRight() + QPointF(-0.6 * scale, 0));
    flap.lineTo(body.topLeft() + QPointF(0.6 * scale, 0));
    flap.closeSubpath();
    painter.setPen(QPen(kGold, 1.0 * scale));
    painter.setBrush(QColor(0x7A, 0x06, 0x0D, 200));
    painter.drawPath(flap);

    // The gold seal with the character for good fortune (福).
    const QPointF seal(body.center().x(), flapBottom + 2.5 * scale);
    const double radius = 8.5 * scale;
    const QRectF sealRect(seal.x() - radius, seal.y() - radius, 2 * radius, 2 * radius);
    painter.setPen(QPen(kDarkGold, 0.8 * scale));
    painter.setBrush(GoldGradient(sealRect, look == Look::Hover));
    painter.drawEllipse(sealRect);
    QFont font(family);
    font.setPixelSize(static_cast<int>(std::lround(11 * scale)));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(kDeepRed);
    painter.drawText(sealRect, Qt::AlignCenter, QString::fromUtf8("\u798F"));
    return image;
}

QImage DrawCaptionButton(const QString& caption, Look look, const QString& family) {
    QImage image = NewImage(144, 42);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF body(1.5, 1.5, 141, 39);
    // Soft shadow, then the gold bar with a red border and a glossy upper half.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x60, 0x20, 0x00, 60));
    painter.drawRoundedRect(body.translated(0, 1.5), 19, 19);
    painter.setPen(QPen(look == Look::Hover ? kBrightRed : kDeepRed, 1.6));
    painter.setBrush(GoldGradient(body, look == Look::Hover));
    painter.drawRoundedRect(body, 19, 19);
    QLinearGradient gloss(body.topLeft(), QPointF(body.left(), body.center().y()));
    gloss.setColorAt(0.0, QColor(255, 255, 255, look == Look::Hover ? 150 : 110));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gloss);
    painter.drawRoundedRect(body.adjusted(4, 2, -4, -body.height() / 2), 14, 14);
    DrawCoin(painter, QPointF(22, 21), 8, 1.0);

    QFont font(family);
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    const QRectF textRect = body.adjusted(34, 0, -8, 0);
    painter.setPen(QColor(255, 250, 220, 160));
    painter.drawText(textRect.translated(0, 1), Qt::AlignCenter, caption);
    painter.setPen(look == Look::Hover ? kBrightRed : kDeepRed);
    painter.drawText(textRect, Qt::AlignCenter, caption);
    return image;
}

// --- The alert chime -------------------------------------------------------------------------

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void PutTag(std::vector<std::uint8_t>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}
// An INFO sub-chunk: the text, NUL-terminated and padded with NULs to `size` bytes (even).
void PutInfo(std::vector<std::uint8_t>& out, const char* id, const std::string& text, std::uint32_t size) {
    PutTag(out, id);
    PutU32(out, size);
    std::string body = text;
    body.resize(size, '\0');
    out.insert(out.end(), body.begin(), body.end());
}

std::vector<std::uint8_t> MakeChime() {
    constexpr std::uint32_t kRate = 44100;
    constexpr std::uint32_t kFrames = 43823;  // 175,292 data bytes / 4 bytes per frame: 0.994 s
    constexpr std::uint32_t kDataBytes = kFrames * 4;
    constexpr std::uint32_t kListBytes = 122;

    std::vector<std::uint8_t> out;
    PutTag(out, "RIFF");
    PutU32(out, 4 + (8 + 18) + (8 + kListBytes) + (8 + kDataBytes));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 18);
    PutU16(out, 1);      // PCM
    PutU16(out, 2);      // channels
    PutU32(out, kRate);  // samples per second
    PutU32(out, kRate * 4);
    PutU16(out, 4);   // block align
    PutU16(out, 16);  // bits per sample
    PutU16(out, 0);   // extra size

    // "INFO" + INAM (8 + 26) + ISFT (8 + 28) + ICMT (8 + 40) = 4 + 34 + 36 + 48 = 122.
    PutTag(out, "LIST");
    PutU32(out, kListBytes);
    PutTag(out, "INFO");
    PutInfo(out, "INAM", "Velloran red-packet alert", 26);
    PutInfo(out, "ISFT", "Velloran resource generator", 28);
    PutInfo(out, "ICMT", "Two-stroke chime, gold coin bell", 40);

    PutTag(out, "data");
    PutU32(out, kDataBytes);
    // Two bell strokes (a fifth apart, the second higher), each a few inharmonic partials with
    // exponential decay; the strokes lean slightly left and right. The tail fades to silence.
    struct Stroke {
        double start;
        double pitch;
        double pan;  // 0 left .. 1 right
    };
    const Stroke strokes[] = {{0.0, 1318.5, 0.4}, {0.16, 1975.5, 0.6}};
    const double partials[][3] = {{1.0, 1.0, 3.2}, {2.76, 0.35, 5.5}, {5.4, 0.14, 9.0}, {0.5, 0.22, 4.0}};
    for (std::uint32_t frame = 0; frame < kFrames; ++frame) {
        const double t = static_cast<double>(frame) / kRate;
        double left = 0;
        double right = 0;
        for (const Stroke& stroke : strokes) {
            const double local = t - stroke.start;
            if (local < 0) {
                continue;
            }
            const double attack = std::min(1.0, local / 0.004);
            double sample = 0;
            for (const auto& partial : partials) {
                sample += partial[1] * std::exp(-partial[2] * local) *
                          std::sin(2 * std::numbers::pi * stroke.pitch * partial[0] * local);
            }
            sample *= attack * 0.34;
            left += sample * (1.0 - stroke.pan);
            right += sample * stroke.pan;
        }
        const double remaining = static_cast<double>(kFrames - 1 - frame) / kRate;
        const double fade = std::min(1.0, remaining / 0.08);
        for (double value : {left * fade, right * fade}) {
            const double clipped = std::clamp(value, -1.0, 1.0);
            PutU16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(clipped * 32000))));
        }
    }
    return out;
}

bool Save(const QImage& image, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromUtf8(name));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("images")) || !folder.mkpath(QStringLiteral("sound"))) {
        std::fprintf(stderr, "cannot create the output folders\n");
        return 1;
    }
    const QString family = CjkFamily();
    QDir images(folder.filePath(QStringLiteral("images")));
    bool ok = true;
    ok &= Save(DrawBackground(), images, "background.png");
    ok &= Save(DrawBanner(), images, "banner.png");
    ok &= Save(DrawRoundButton(false, Look::Normal), images, "minimise_normal.png");
    ok &= Save(DrawRoundButton(false, Look::Hover), images, "minimise_hover.png");
    ok &= Save(DrawRoundButton(true, Look::Normal), images, "exit_normal.png");
    ok &= Save(DrawRoundButton(true, Look::Hover), images, "exit_hover.png");
    ok &= Save(DrawEnvelope(34, 47, Look::Normal, family), images, "logo_normal.png");
    ok &= Save(DrawEnvelope(34, 47, Look::Hover, family), images, "logo_hover.png");
    ok &= Save(DrawEnvelope(34, 47, Look::Pressed, family), images, "logo_pressed.png");
    const QString scan = QString::fromUtf8("\u5F00\u59CB\u626B\u63CF");   // 开始扫描
    const QString check = QString::fromUtf8("\u5F00\u59CB\u68C0\u67E5");  // 开始检查
    ok &= Save(DrawCaptionButton(scan, Look::Normal, family), images, "scan_normal.png");
    ok &= Save(DrawCaptionButton(scan, Look::Hover, family), images, "scan_hover.png");
    ok &= Save(DrawCaptionButton(check, Look::Normal, family), images, "check_normal.png");
    ok &= Save(DrawCaptionButton(check, Look::Hover, family), images, "check_hover.png");
    // The desktop icon: the logo envelope at 128 px height.
    QImage icon = NewImage(128, 128);
    {
        QPainter painter(&icon);
        const QImage envelope = DrawEnvelope(92, 127, Look::Normal, family);
        painter.drawImage(QPointF((128 - envelope.width()) / 2.0, 0.5), envelope);
    }
    ok &= Save(icon, images, "velloran.png");

    const std::vector<std::uint8_t> chime = MakeChime();
    QFile wave(folder.filePath(QStringLiteral("sound/alert.wav")));
    if (!wave.open(QIODevice::WriteOnly) ||
        wave.write(reinterpret_cast<const char*>(chime.data()), static_cast<qint64>(chime.size())) !=
            static_cast<qint64>(chime.size())) {
        std::fprintf(stderr, "cannot write the alert sound\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
