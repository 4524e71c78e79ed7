#include "keyhabits.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace qv {

bool KeyHabits::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QObject::eventFilter(watched, event);
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !button->hasFocus() || button->autoDefault() || button->isDefault())
        return QObject::eventFilter(watched, event);
    // Held down, Enter would store one record after another.
    if (!key->isAutoRepeat() && button->isEnabled() && button->isVisible())
        button->click();
    return true;
}

void installKeyHabits(QApplication& app)
{
    app.installEventFilter(new KeyHabits(&app));
}

} // namespace qv
