#pragma once

#include <QPushButton>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace qv::test {

// Clicks a window's button by its object name, as the mouse does; a missing
// button fails the test rather than passing silently.
inline void click(QWidget& window, const char* button)
{
    auto* b = window.findChild<QPushButton*>(QString::fromLatin1(button));
    ASSERT_TRUE(b) << button;
    b->click();
}

// A window made and shown as the frame opens it.
template <class Window, class... Args> std::unique_ptr<Window> showWindow(Args&&... args)
{
    auto w = std::make_unique<Window>(std::forward<Args>(args)...);
    w->show();
    return w;
}

} // namespace qv::test
