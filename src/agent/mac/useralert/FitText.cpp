#include "FitText.h"

#include <QFontMetricsF>
#include <QLabel>

namespace {

bool Fits(const QString& text, const QFont& font, qreal width)
{
    return QFontMetricsF(font).horizontalAdvance(text) <= width;
}

} // namespace

void FitOneLine(QLabel& label, int smallest)
{
    const QString text = label.text();
    const qreal width = label.contentsRect().width();
    QFont font = label.font();
    if (font.pointSize() <= 0) {
        return; // sized in pixels: nothing this can scale by points
    }
    while (!Fits(text, font, width) && font.pointSize() > smallest) {
        font.setPointSize(font.pointSize() - 1);
    }
    label.setFont(font);
    if (Fits(text, font, width)) {
        label.setToolTip(QString());
        return;
    }
    label.setText(QFontMetricsF(font).elidedText(text, Qt::ElideRight, width));
    label.setToolTip(text);
}
