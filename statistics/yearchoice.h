#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;
class QWidget;

namespace qv {

// The year a statistics window works on: the typed text without blanks
// around it, when that is exactly four bytes and a number ("2004", also
// "12.5"). Anything else ("24", "2004年", "") gives nothing, and the
// window says "年份不对！".
std::optional<QString> parseYear(const QString& text);

// Shows "提示" / "年份不对！" when `text` is no year; the year otherwise.
std::optional<QString> checkedYear(const QString& text);

// The years the lists offer: 2003 to 2010 as they always did, then every
// year up to `currentYear`, so that this year can be picked, not only typed.
QStringList statisticsYears(int currentYear);

// An editable year list with those years up to the current one and
// `initialText` in its edit field.
QComboBox* createYearList(const QString& objectName, const QString& initialText, QWidget* parent);

// The windows of this room were laid out in 宋体 at 9 points.
void useSongFont(QWidget* window);

} // namespace qv
