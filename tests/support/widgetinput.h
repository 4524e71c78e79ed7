#pragma once

#include <QPushButton>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace qv::test {

// Clicks a window's button by its object name, as the mouse does; a missing
// button fails the test rather than passing silently.
inline void click(QWidget& window, const char* button)
{
    auto* b = window.findChild<QPushButton*>(QString::fromLatin1(button));
    ASSERT_TRUE(b) << button;
    b->click();
}

} // namespace qv::test
