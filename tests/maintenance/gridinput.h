#pragma once

#include "platform/output/reportgrid.h"
#include "platform/widgets/dateedit.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace qv::test {

// Sends each character as a key press, as typing does.
inline void typeKeys(QWidget* widget, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
    }
}

// Opens a cell's editor as a double-click does; the editor, or null.
inline QWidget* openCell(ReportGrid* grid, long row, const char* column)
{
    const QModelIndex index = grid->cellIndex(row, QString::fromLatin1(column));
    grid->setCurrentIndex(index);
    grid->edit(index);
    return grid->cellDelegate()->openEditor();
}

// Types into a cell as the operator does and leaves it with Enter: keys into
// a line, a choice in a code table, a date in a date cell ("yyyymmdd").
inline void typeInto(ReportGrid* grid, long row, const char* column, const QString& text)
{
    QWidget* editor = openCell(grid, row, column);
    ASSERT_TRUE(editor) << column;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int i = combo->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        combo->setCurrentIndex(i);
        emit combo->activated(i);
        return;
    }
    if (auto* date = qobject_cast<DateEdit*>(editor)) {
        ASSERT_TRUE(date->setStoredText(text)) << text.toStdString();
        ASSERT_EQ(grid->acceptText(), 1);
        return;
    }
    auto* line = qobject_cast<QLineEdit*>(editor);
    ASSERT_TRUE(line) << column;
    line->selectAll();
    typeKeys(editor, text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    // The view commits an Enter-finished edit from the event loop.
    QCoreApplication::processEvents();
}

// The text a cell shows.
inline QString shown(const ReportGrid* grid, long row, const char* column)
{
    return grid->cellIndex(row, QString::fromLatin1(column)).data(Qt::DisplayRole).toString();
}

} // namespace qv::test
