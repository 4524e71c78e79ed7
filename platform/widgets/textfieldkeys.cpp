#include "textfieldkeys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

#include <functional>

namespace qv {

namespace {

bool isKillLine(const QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    return static_cast<const QKeyEvent*>(event)->keyCombination() ==
           QKeyCombination(Qt::ControlModifier, Qt::Key_K);
}

// The editable line behind the focused control, if there is one.
QLineEdit* editableLine(QObject* focused)
{
    QLineEdit* line = qobject_cast<QLineEdit*>(focused);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(focused))
        line = spin->isReadOnly() ? nullptr : spin->findChild<QLineEdit*>();
    else if (auto* combo = qobject_cast<QComboBox*>(focused))
        line = combo->lineEdit();
    return line && !line->isReadOnly() ? line : nullptr;
}

// Deletes to the end of the block; at its end, the line break, so that
// repeated presses join the lines below.
void killToEnd(QTextCursor cursor, const std::function<void(const QTextCursor&)>& apply)
{
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    if (!cursor.hasSelection())
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    apply(cursor);
}

} // namespace

bool TextFieldKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (!isKillLine(event) || watched != QApplication::focusWidget())
        return false;
    auto* plain = qobject_cast<QPlainTextEdit*>(watched);
    auto* rich = qobject_cast<QTextEdit*>(watched);
    QLineEdit* line = editableLine(watched);
    if (plain && plain->isReadOnly())
        plain = nullptr;
    if (rich && rich->isReadOnly())
        rich = nullptr;
    if (!line && !plain && !rich)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept(); // the key press comes to the field instead of the menu
        return true;
    }
    if (line) {
        const int from = line->cursorPosition();
        line->setSelection(from, int(line->text().size()) - from);
        line->del();
    } else if (plain) {
        killToEnd(plain->textCursor(), [plain](const QTextCursor& c) { plain->setTextCursor(c); });
    } else {
        killToEnd(rich->textCursor(), [rich](const QTextCursor& c) { rich->setTextCursor(c); });
    }
    return true;
}

} // namespace qv
