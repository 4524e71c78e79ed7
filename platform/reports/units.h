#pragma once

#include <QRect>

namespace qv::units {

// Window and report layouts are designed in abstract layout units:
// about 0.2286 px horizontally and 0.25 px vertically at 96 dpi (a 3630 x 2296
// window is about 830 x 575 px). Scaled with the primary screen's logical DPI
// so that every window keeps its designed proportions.
int toPixelsX(int units);
int toPixelsY(int units);
QSize toPixels(int width, int height);
QRect toPixels(int x, int y, int width, int height);
QRect toPixels(const QRect& units);

int pixelsToUnitsX(int pixels);
int pixelsToUnitsY(int pixels);

// For tests and for screens that report odd values: the DPI scale in force.
double dpiScale();
void overrideDpiScale(double scale); // 0 = follow the screen

} // namespace qv::units
