#pragma once

#include <QIcon>
#include <QString>

namespace qv {

// The toolbar picture for a stock picture name of the menu ("Find!", …),
// drawn by the program itself. An unknown name gives a plain square.
QIcon toolbarPicture(const QString& stockName);

} // namespace qv
