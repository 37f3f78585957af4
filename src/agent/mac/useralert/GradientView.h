#pragma once

#include <QBrush>
#include <QWidget>

#include <optional>

// The dialog's main view: paints the tiled background image, anchored at
// the view's origin.
class GradientView final : public QWidget
{
    Q_OBJECT

public:
    explicit GradientView(QWidget* parent = nullptr);

    // Looks up the background image resource; without it there is no
    // pattern and the view is filled with its plain colour.
    void awakeFromNib();

    const std::optional<QBrush>& patternColor() const { return m_patternColor; }
    void setPatternColor(const std::optional<QBrush>& patternColor);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QBrush> m_patternColor;
};
