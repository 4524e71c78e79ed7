#pragma once

#include <QMargins>
#include <QRect>

class QScrollArea;
class QScreen;
class QWidget;

namespace qv {

// The windows place their controls at fixed positions of their designed
// size, and a screen with large scaling has less room than they were
// designed for. Fitted, a window can be given any size:
// - smaller than designed, its controls keep their places and scroll, and a
//   control that takes the focus is scrolled into view, so that every one
//   stays within reach of mouse and keyboard;
// - larger, `grid` (when given) takes the extra width and height, and what
//   lies below the grid or to its right moves along with its edges.
// Call once the window is laid out at its designed size; the controls move
// into the scroll area's contents, keeping their names, order and tab order.
// A second call does nothing and returns the same scroll area.
QScrollArea* fitContents(QWidget* window, QWidget* grid = nullptr);

// Where a window whose frame adds `frame` to `geometry` goes so that the
// frame lies inside `available`: at the same place and size when it fits,
// smaller and moved in when it does not.
QRect fittedGeometry(const QRect& geometry, const QMargins& frame, const QRect& available);

// Fits a window of its own (a dialog, a top-level window) into the available
// geometry of its screen: shrunk where it is larger (its contents, fitted,
// then scroll, unless a layout arranges them) and moved inside.
void fitToScreen(QWidget* window);

// The screen a window is on, or the primary one before it has been shown
// anywhere; null only without any screen.
QScreen* screenOf(const QWidget* window);

} // namespace qv
