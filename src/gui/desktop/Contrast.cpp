// Contrast of colours and a readable colour for a background.

#include "gui/desktop/Contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(double channel) {
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) +
           0.0722 * Linear(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& background) {
    if (ContrastRatio(wanted, background) >= ReadableContrast)
        return wanted;
    const bool darkBackground = RelativeLuminance(background) < 0.18;
    const QColor hsl = wanted.toHsl();
    constexpr int Steps = 20;
    for (int step = 1; step <= Steps; ++step) {
        const double lightness = hsl.lightnessF();
        const double moved = darkBackground ? lightness + (1.0 - lightness) * step / Steps
                                            : lightness * (Steps - step) / Steps;
        const QColor candidate =
            QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), float(moved)).toRgb();
        if (ContrastRatio(candidate, background) >= ReadableContrast)
            return candidate;
    }
    return darkBackground ? QColor(Qt::white) : QColor(Qt::black);
}
