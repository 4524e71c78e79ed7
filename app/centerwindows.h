#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace qv {

// Where a window of `windowUnits` lands when centred on a screen of
// `screenPixels`, in layout units. The differences stay integers and only
// the halving is fractional, truncated toward zero; a window larger than the
// screen gets a negative position.
QPoint centeredPosition(QSize screenPixels, QSize windowUnits);

// Moves a top-level window to the middle of its screen, keeping its size.
void uf_centerwindows(QWidget* window);

} // namespace qv
