#include "centerwindows.h"

#include "platform/reports/units.h"
#include "platform/widgets/sheetfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace qv {

namespace {
// Positions are 16-bit integers; clamping keeps an absurd screen from
// wrapping around to the other side.
int half16(int difference)
{
    const int half = int(difference * 0.5); // int() truncates toward zero
    return std::clamp(half, int(INT16_MIN), int(INT16_MAX));
}
} // namespace

QPoint centeredPosition(QSize screenPixels, QSize windowUnits)
{
    const int screenW = units::pixelsToUnitsX(screenPixels.width());
    const int screenH = units::pixelsToUnitsY(screenPixels.height());
    return {half16(screenW - windowUnits.width()), half16(screenH - windowUnits.height())};
}

void uf_centerwindows(QWidget* window)
{
    QScreen* screen = screenOf(window);
    if (!window || !screen)
        return;
    const QRect screenRect = screen->geometry();
    const QSize size = window->isVisible() ? window->frameGeometry().size() : window->size();
    const QPoint at = centeredPosition(
        screenRect.size(), {units::pixelsToUnitsX(size.width()), units::pixelsToUnitsY(size.height())});
    window->move(screenRect.topLeft() + QPoint(units::toPixelsX(at.x()), units::toPixelsY(at.y())));
}

} // namespace qv
