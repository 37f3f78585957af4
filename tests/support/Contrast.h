#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// WCAG 2 relative luminance (0 black .. 1 white) of an sRGB colour.
double RelativeLuminance(const QColor& colour);

// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on
// white; WCAG AA asks 4.5 for text.
double ContrastRatio(const QColor& first, const QColor& second);

// The colours that dominate a region of a screenshot: the background is its
// most frequent colour; the text is the most frequent colour of the glyphs'
// cores, taken as the fifth of the pixels clearly apart from the background
// (at least 1.5:1) that stand farthest from it: anti-aliased edges spread
// over many shades in between.
struct DominantColours
{
    QColor background;
    QColor text;        // invalid when the region holds nothing but background
    int textPixels = 0; // pixels clearly apart from the background
};
DominantColours FindDominantColours(const QImage& image, const QRect& region);
