#include "Contrast.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

constexpr double kApart = 1.5;

} // namespace

double RelativeLuminance(const QColor& colour)
{
    return 0.2126 * Linear(colour.redF()) + 0.7152 * Linear(colour.greenF()) +
           0.0722 * Linear(colour.blueF());
}

double ContrastRatio(const QColor& first, const QColor& second)
{
    const double a = RelativeLuminance(first);
    const double b = RelativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

DominantColours FindDominantColours(const QImage& image, const QRect& region)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const QRect area = region.intersected(pixels.rect());
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            ++counts[line[x] | 0xff000000u];
        }
    }
    const auto mostFrequent = [&counts](const auto& accept) {
        QRgb best = 0;
        int bestCount = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > bestCount && accept(it.key())) {
                best = it.key();
                bestCount = it.value();
            }
        }
        return std::make_pair(best, bestCount);
    };
    DominantColours found;
    const auto background = mostFrequent([](QRgb) { return true; });
    if (background.second == 0) {
        return found;
    }
    found.background = QColor::fromRgb(background.first);
    std::vector<std::pair<double, QRgb>> apart; // contrast to the background, colour
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double contrast = ContrastRatio(QColor::fromRgb(it.key()), found.background);
        if (contrast >= kApart) {
            apart.insert(apart.end(), it.value(), {contrast, it.key()});
        }
    }
    if (apart.empty()) {
        return found;
    }
    found.textPixels = static_cast<int>(apart.size());
    std::sort(apart.begin(), apart.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    apart.resize(std::max<size_t>(1, apart.size() / 5));
    QHash<QRgb, int> cores;
    for (const auto& pixel : apart) {
        ++cores[pixel.second];
    }
    counts = cores;
    found.text = QColor::fromRgb(mostFrequent([](QRgb) { return true; }).first);
    return found;
}
