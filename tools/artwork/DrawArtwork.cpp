// Draws the programs' images. Run through scripts/draw-artwork.sh, which
// writes them into the source tree where they are committed:
//   VUserAlert:  VRlogo100w.bmp, prog1.bmp ... prog8.bmp, VRbackfade50vr2.bmp
//   VORAMenuBar: VORAMenuBar.png, VoraConnected.png, VoraDisconnected.png,
//                VoraUnavailable.png, AboutIcon.png, and the three tray images again at every
//                other size a tray host may ask for, as
//                sizes/<N>/<name>.png (N = 16 ... 256)
// The dialog's images are BMPs without transparency, so they are drawn on
// the flat colour of the dialog's header band (kHeaderBand), where the logo
// and the progress meter stand.
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLineF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {

const QColor kHeaderBand(0xed, 0xf2, 0xf7);
const QColor kBrandDark(0x0b, 0x4f, 0x9c);
const QColor kBrandLight(0x22, 0x94, 0xe6);
const QColor kConnected(0x2e, 0xb8, 0x5c);
const QColor kDisconnected(0xd6, 0x3b, 0x3b);
const QColor kUnavailable(0x7a, 0x83, 0x8d);
constexpr int kDialogHeight = 340;
// Tray hosts ask for 16 to 256 pixels; each size is drawn at that size, as
// a scaled one blurs the strokes (a 32-pixel "V" shrunk to 16 is grey mush).
constexpr int kTraySizes[] = {16, 22, 24, 32, 48, 64, 96, 128, 256};
constexpr int kHeaderHeight = 150;

bool Save(const QImage& image, const QString& directory, const QString& name)
{
    const QString path = QDir(directory).filePath(name);
    if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The brand badge: a rounded square with a blue gradient and a white "V"
// whose right stroke ends in an orbit arc.
void DrawBadge(QPainter& painter, const QRectF& box, const QColor& from, const QColor& to)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, to);
    fill.setColorAt(1, from);
    const qreal radius = box.width() * 0.22;
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, radius, radius);

    // Soft highlight in the upper half.
    QRadialGradient gloss(box.center().x(), box.top(), box.width() * 0.8);
    gloss.setColorAt(0, QColor(255, 255, 255, 70));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setBrush(gloss);
    painter.drawRoundedRect(box, radius, radius);

    const qreal w = box.width();
    QPainterPath vee;
    vee.moveTo(box.left() + w * 0.24, box.top() + w * 0.26);
    vee.lineTo(box.left() + w * 0.47, box.top() + w * 0.74);
    vee.lineTo(box.left() + w * 0.72, box.top() + w * 0.26);
    // At 16 pixels a tenth of the width is under two pixels: keep two so the
    // "V" stays a solid white line instead of a grey one.
    QPen stroke(Qt::white, qMax(w * 0.11, 2.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(stroke);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(vee);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawEllipse(QPointF(box.left() + w * 0.79, box.top() + w * 0.2), w * 0.07, w * 0.07);
}

QImage Logo()
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(kHeaderBand);
    QPainter painter(&image);
    DrawBadge(painter, QRectF(8, 8, 84, 84), kBrandDark, kBrandLight);
    return image;
}

// Eight dots; the lit one moves right, two fading dots trail behind it.
QImage ProgressFrame(int frame)
{
    QImage image(100, 20, QImage::Format_RGB32);
    image.fill(kHeaderBand);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int dot = 0; dot < 8; ++dot) {
        const int behind = (frame - dot + 8) % 8;
        QColor colour(0xc8, 0xd3, 0xdf);
        qreal radius = 3.5;
        if (behind == 0) {
            colour = kBrandLight;
            radius = 4.8;
        } else if (behind == 1) {
            colour = QColor(0x5c, 0xa9, 0xe8);
            radius = 4.2;
        } else if (behind == 2) {
            colour = QColor(0x9c, 0xc6, 0xec);
            radius = 3.8;
        }
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(8 + dot * 12, 10), radius, radius);
    }
    return image;
}

// A 50-pixel-wide strip, tiled across the dialog: the flat header band,
// then a fade to white.
QImage Background()
{
    QImage image(50, kDialogHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 50, kHeaderHeight, kHeaderBand);
    QLinearGradient fade(0, kHeaderHeight, 0, kDialogHeight);
    fade.setColorAt(0, kHeaderBand);
    fade.setColorAt(1, Qt::white);
    painter.fillRect(0, kHeaderHeight, 50, kDialogHeight - kHeaderHeight, fade);
    return image;
}

QImage Transparent(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage Badge(int size)
{
    QImage image = Transparent(size);
    QPainter painter(&image);
    const qreal margin = size * 0.04;
    DrawBadge(painter, QRectF(margin, margin, size - 2 * margin, size - 2 * margin), kBrandDark, kBrandLight);
    return image;
}

// Tray icon: the badge with a status dot in the lower right corner.
QImage StatusIcon(int size, bool connected)
{
    QImage image = Transparent(size);
    QPainter painter(&image);
    const QRectF box(0, 0, size * 0.9, size * 0.9);
    if (connected) {
        DrawBadge(painter, box, kBrandDark, kBrandLight);
    } else {
        DrawBadge(painter, box, QColor(0x5a, 0x63, 0x6e), QColor(0x8d, 0x96, 0xa0));
    }
    const qreal dot = size * 0.2;
    const QPointF centre(size - dot - 0.5, size - dot - 0.5);
    painter.setPen(QPen(Qt::white, qMax(size * 0.07, 1.0)));
    painter.setBrush(connected ? kConnected : kDisconnected);
    painter.drawEllipse(centre, dot, dot);
    return image;
}

// Tray icon for a helper that cannot be reached: the badge's outline,
// hollow, in a mid grey, struck through by a red bar. Its silhouette (a ring
// and a bar, the panel showing through) differs from the filled badge of
// the other states even at 16 px, and the grey (#7a838d) keeps about 4:1
// against white panels and dark ones alike.
QImage UnavailableIcon(int size)
{
    QImage image = Transparent(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal line = qMax(size * 0.1, 2.0);
    const qreal inset = line / 2 + size * 0.04;
    const QRectF box = QRectF(0, 0, size, size).adjusted(inset, inset, -inset, -inset);
    const qreal radius = box.width() * 0.22;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kUnavailable, line));
    painter.drawRoundedRect(box, radius, radius);

    const qreal w = box.width();
    QPainterPath vee;
    vee.moveTo(box.left() + w * 0.22, box.top() + w * 0.24);
    vee.lineTo(box.left() + w * 0.5, box.top() + w * 0.76);
    vee.lineTo(box.left() + w * 0.78, box.top() + w * 0.24);
    painter.setPen(QPen(kUnavailable, qMax(size * 0.08, 1.5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(vee);

    // The bar, from corner to corner, with a transparent gap either side
    // so it reads as crossing the badge rather than as part of it.
    const QLineF bar(box.topLeft() + QPointF(w * 0.06, w * 0.06),
                     box.bottomRight() - QPointF(w * 0.06, w * 0.06));
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(QPen(Qt::transparent, line * 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(bar);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(kDisconnected, line, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(bar);
    return image;
}

QImage ConnectedIcon(int size)
{
    return StatusIcon(size, true);
}

QImage DisconnectedIcon(int size)
{
    return StatusIcon(size, false);
}

// "<name>.png" at the base size the programs have always loaded, every
// other size as "sizes/<N>/<name>.png".
bool SaveTrayImage(QImage (*draw)(int), int baseSize, const QString& directory, const QString& name)
{
    bool ok = true;
    for (const int size : kTraySizes) {
        const QString file = size == baseSize ? name + QStringLiteral(".png")
                                              : QStringLiteral("sizes/%1/%2.png").arg(size).arg(name);
        ok = Save(draw(size), directory, file) && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s USERALERT_RESOURCE_DIR MENUBAR_RESOURCE_DIR\n", argv[0]);
        return 2;
    }
    const QString dialog = QString::fromLocal8Bit(argv[1]);
    const QString menuBar = QString::fromLocal8Bit(argv[2]);
    bool ok = Save(Logo(), dialog, QStringLiteral("VRlogo100w.bmp"));
    for (int frame = 0; frame < 8; ++frame) {
        ok = Save(ProgressFrame(frame), dialog, QStringLiteral("prog%1.bmp").arg(frame + 1)) && ok;
    }
    ok = Save(Background(), dialog, QStringLiteral("VRbackfade50vr2.bmp")) && ok;
    ok = Save(Badge(128), menuBar, QStringLiteral("AboutIcon.png")) && ok;
    ok = SaveTrayImage(Badge, 64, menuBar, QStringLiteral("VORAMenuBar")) && ok;
    ok = SaveTrayImage(ConnectedIcon, 32, menuBar, QStringLiteral("VoraConnected")) && ok;
    ok = SaveTrayImage(DisconnectedIcon, 32, menuBar, QStringLiteral("VoraDisconnected")) && ok;
    ok = SaveTrayImage(UnavailableIcon, 32, menuBar, QStringLiteral("VoraUnavailable")) && ok;
    return ok ? 0 : 1;
}
