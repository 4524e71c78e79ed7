#include "modalguard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace qv {

namespace {

class ModalCloseGuard : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close || !watched->isWidgetType())
            return false;
        auto* closing = static_cast<QWidget*>(watched);
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || liesInside(closing, modal))
            return false;
        const Qt::WindowType type = closing->window()->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip)
            return false;
        event->ignore();
        modal->raise();
        modal->activateWindow();
        return true;
    }
};

} // namespace

bool liesInside(const QWidget* widget, const QWidget* dialog)
{
    // QWidget::isAncestorOf stops at window boundaries, and a dialog is a
    // window of its own.
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w == dialog)
            return true;
    return false;
}

void installModalCloseGuard(QApplication& app)
{
    app.installEventFilter(new ModalCloseGuard(&app));
}

} // namespace qv
