#include "activation.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace qv {

namespace {

// Windows the operator types into; menus, tooltips and drop-downs come and
// go without taking the keyboard from the window they belong to.
bool takesKeyboard(const QWidget* w)
{
    if (!w->isWindow() || w->testAttribute(Qt::WA_ShowWithoutActivating) ||
        w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
        return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

} // namespace

bool ActivationKeeper::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::WindowActivate)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || !takesKeyboard(w))
        return false;
    if (type == QEvent::WindowActivate) {
        m_used.removeAll(w);
        m_used.removeAll(nullptr);
        m_used.append(w);
    } else if (type == QEvent::Show && !event->spontaneous()) {
        // Once the show is done: the window must be mapped to take the keyboard.
        QTimer::singleShot(0, w, [w] {
            if (w->isVisible() && !w->isActiveWindow())
                w->activateWindow();
        });
    } else if (type == QEvent::Hide && !event->spontaneous() && w->windowHandle() &&
               QGuiApplication::focusWindow() == w->windowHandle()) {
        // Only a window that had the keyboard hands it on; one that closes
        // while another program has it takes nothing from there. (The
        // widgets' own active window is already gone by now; the window
        // system's focus is not.)
        QTimer::singleShot(0, this, [this] { activateUsedBefore(); });
    }
    return false;
}

void ActivationKeeper::activateUsedBefore()
{
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible())
        return;
    // A modal window still open keeps the keyboard; the windows it blocks
    // would only pass it on to it.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->activateWindow();
        return;
    }
    for (auto it = m_used.crbegin(); it != m_used.crend(); ++it) {
        if (*it && (*it)->isVisible()) {
            (*it)->activateWindow();
            return;
        }
    }
}

void installActivationKeeper(QApplication& app)
{
    app.installEventFilter(new ActivationKeeper(&app));
}

} // namespace qv
