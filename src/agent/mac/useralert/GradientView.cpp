#include "GradientView.h"

#include "BuiltInImage.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

namespace {

const QString kBackgroundImage = QStringLiteral(":/VRbackfade50vr2.bmp");

} // namespace

GradientView::GradientView(QWidget* parent) : QWidget(parent)
{
    awakeFromNib();
}

void GradientView::awakeFromNib()
{
    const QPixmap tile = LoadBuiltInImage(kBackgroundImage);
    if (tile.isNull()) {
        setPatternColor(std::nullopt);
        return;
    }
    setPatternColor(QBrush(tile));
}

void GradientView::setPatternColor(const std::optional<QBrush>& patternColor)
{
    m_patternColor = patternColor;
    update();
}

void GradientView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(event->rect(), palette().window());
    if (!m_patternColor) {
        return;
    }
    painter.setBrushOrigin(0, 0);
    painter.fillRect(rect(), *m_patternColor);
}
