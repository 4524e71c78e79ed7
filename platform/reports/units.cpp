#include "units.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace qv::units {

namespace {
constexpr double kPxPerUnitX = 830.0 / 3630.0;
constexpr double kPxPerUnitY = 575.0 / 2296.0;
double g_override = 0.0;
} // namespace

double dpiScale()
{
    if (g_override > 0)
        return g_override;
    if (auto* screen = QGuiApplication::primaryScreen()) {
        const double dpi = screen->logicalDotsPerInchX();
        if (dpi > 0)
            return dpi / 96.0;
    }
    return 1.0;
}

void overrideDpiScale(double scale)
{
    g_override = scale;
}

int toPixelsX(int u)
{
    return int(std::lround(u * kPxPerUnitX * dpiScale()));
}
int toPixelsY(int u)
{
    return int(std::lround(u * kPxPerUnitY * dpiScale()));
}
QSize toPixels(int w, int h)
{
    return {toPixelsX(w), toPixelsY(h)};
}
QRect toPixels(int x, int y, int w, int h)
{
    return {toPixelsX(x), toPixelsY(y), toPixelsX(w), toPixelsY(h)};
}

int pixelsToUnitsX(int px)
{
    return int(std::lround(px / (kPxPerUnitX * dpiScale())));
}
int pixelsToUnitsY(int px)
{
    return int(std::lround(px / (kPxPerUnitY * dpiScale())));
}

QRect toPixels(const QRect& units)
{
    return toPixels(units.x(), units.y(), units.width(), units.height());
}

} // namespace qv::units
