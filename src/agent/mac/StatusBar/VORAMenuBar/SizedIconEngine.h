#pragma once

#include <QIconEngine>
#include <QMap>
#include <QPixmap>
#include <QString>

// An image drawn at several sizes, each file read only when a size near it
// is first asked for. A tray host asks for a few sizes; decoding every
// drawing of the three tray images up front (16 to 256 pixels) would keep
// about 1.2 MiB of pixels that are never shown.
class SizedIconEngine final : public QIconEngine
{
public:
    // Pixel side of each drawing → its file: {16: ":/sizes/16/x.png", ...}.
    explicit SizedIconEngine(QMap<int, QString> files);

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    // The smallest drawing that covers `size`, else the largest:
    // 20 → 22, 300 → 256.
    int bestSide(const QSize& size) const;

    QMap<int, QString> m_files;
    QMap<int, QPixmap> m_loaded;
};
