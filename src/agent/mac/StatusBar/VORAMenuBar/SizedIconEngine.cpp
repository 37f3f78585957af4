#include "SizedIconEngine.h"

#include <QPainter>

SizedIconEngine::SizedIconEngine(QMap<int, QString> files) : m_files(std::move(files)) {}

int SizedIconEngine::bestSide(const QSize& size) const
{
    const int wanted = qMin(size.width(), size.height());
    const auto covering = m_files.lowerBound(wanted);
    return covering != m_files.cend() ? covering.key() : m_files.lastKey();
}

QPixmap SizedIconEngine::pixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/)
{
    if (m_files.isEmpty() || size.isEmpty()) {
        return {};
    }
    const int side = bestSide(size);
    auto loaded = m_loaded.find(side);
    if (loaded == m_loaded.end()) {
        QPixmap drawing;
        if (!drawing.load(m_files.value(side), "PNG")) {
            qWarning("Cannot read the image %s", qUtf8Printable(m_files.value(side)));
        }
        loaded = m_loaded.insert(side, drawing);
    }
    if (loaded->isNull() || (loaded->width() <= size.width() && loaded->height() <= size.height())) {
        return *loaded;
    }
    return loaded->scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void SizedIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap drawing = pixmap(rect.size() * ratio, mode, state);
    drawing.setDevicePixelRatio(ratio);
    const QSize shown = drawing.deviceIndependentSize().toSize();
    painter->drawPixmap(QRect(rect.center() - QPoint(shown.width() / 2, shown.height() / 2), shown), drawing);
}

QSize SizedIconEngine::actualSize(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/)
{
    if (m_files.isEmpty()) {
        return {};
    }
    const int side = qMin(bestSide(size), qMin(size.width(), size.height()));
    return {side, side};
}

QList<QSize> SizedIconEngine::availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/)
{
    QList<QSize> sizes;
    for (const int side : m_files.keys()) {
        sizes.append(QSize(side, side));
    }
    return sizes;
}

QIconEngine* SizedIconEngine::clone() const
{
    return new SizedIconEngine(*this);
}

QString SizedIconEngine::key() const
{
    return QStringLiteral("SizedIconEngine");
}
