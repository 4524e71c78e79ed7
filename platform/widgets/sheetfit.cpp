#include "sheetfit.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace qv {

namespace {

// Room kept around a control scrolled into view, so that it does not end
// flush against the scroll bar.
constexpr int kRevealMargin = 8;

class ContentsFit : public QObject
{
public:
    ContentsFit(QWidget* window, QWidget* grid)
        : QObject(window), m_window(window), m_designed(window->size())
    {
        setObjectName(QStringLiteral("contentsfit"));
        m_contents = new QWidget;
        m_contents->setObjectName(QStringLiteral("contents"));
        // The controls in creation order, which is also their stacking
        // order; windows of their own (dialogs parented to the window) stay.
        const QList<QWidget*> children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* child : children) {
            if (child->isWindow())
                continue;
            // Only what is laid out now follows the grid; a list that drops
            // down on demand is placed by its owner when it shows.
            const bool shown = child->isVisibleTo(window);
            // A grid's totals line places itself by its grid.
            if (shown && !child->property("placedByOwner").toBool())
                m_placed.push_back({child, child->geometry()});
            child->setParent(m_contents);
            // Moved while on screen, a control is hidden with the move.
            if (shown && window->isVisible())
                child->show();
        }
        if (grid && grid->parentWidget() == m_contents)
            m_grid = grid;
        m_gridDesigned = m_grid ? m_grid->geometry() : QRect();

        m_scroll = new QScrollArea(window);
        m_scroll->setObjectName(QStringLiteral("sa_contents"));
        m_scroll->setFrameShape(QFrame::NoFrame);
        m_scroll->setFocusPolicy(Qt::NoFocus);
        m_scroll->setWidgetResizable(true);
        m_contents->setMinimumSize(m_designed);
        m_scroll->setWidget(m_contents);
        m_scroll->setGeometry(window->rect());

        window->installEventFilter(this);
        m_contents->installEventFilter(this);
        // Tab already scrolls the scroll area to the next control; a click
        // in a list, a pick or a window moving the focus itself do not.
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && m_contents->isAncestorOf(now))
                reveal(now);
        });
    }

    QScrollArea* scrollArea() const { return m_scroll; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == m_window && !m_opened) {
            // A window opens showing its top left; the focus it was given
            // while it still had its first, provisional size may have
            // scrolled it elsewhere. Once it has its size, that is undone.
            // Shown again later (restored), it stays where it was scrolled.
            m_opened = true;
            QTimer::singleShot(0, this, [this] {
                m_scroll->horizontalScrollBar()->setValue(0);
                m_scroll->verticalScrollBar()->setValue(0);
                QWidget* focus = QApplication::focusWidget();
                if (focus && m_contents->isAncestorOf(focus))
                    reveal(focus);
            });
        }
        if (event->type() == QEvent::Resize) {
            if (watched == m_window)
                m_scroll->setGeometry(m_window->rect());
            else if (watched == m_contents)
                follow(m_contents->size());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // The whole control, not only its text cursor as the scroll area's own
    // ensureWidgetVisible() would: an editable list must show its arrow.
    // One larger than the view shows its top left.
    void reveal(QWidget* control)
    {
        const QRect at =
            QRect(control->mapTo(m_contents, QPoint(0, 0)), control->size())
                .marginsAdded(QMargins(kRevealMargin, kRevealMargin, kRevealMargin, kRevealMargin));
        m_scroll->ensureVisible(at.center().x(), at.center().y(), at.width() / 2, at.height() / 2);
    }

    struct Placed
    {
        QPointer<QWidget> widget;
        QRect designed;
    };

    void follow(QSize size)
    {
        const int dx = std::max(0, size.width() - m_designed.width());
        const int dy = std::max(0, size.height() - m_designed.height());
        for (const Placed& p : m_placed) {
            if (!p.widget)
                continue;
            if (p.widget == m_grid) {
                p.widget->setGeometry(p.designed.adjusted(0, 0, dx, dy));
                continue;
            }
            if (!m_grid)
                continue;
            QRect at = p.designed;
            if (at.top() > m_gridDesigned.bottom())
                at.translate(0, dy);
            // Beside the grid, or flush with its right end below it.
            if (at.left() > m_gridDesigned.right() || std::abs(at.right() - m_gridDesigned.right()) <= 2)
                at.translate(dx, 0);
            p.widget->setGeometry(at);
        }
    }

    QWidget* m_window;
    QSize m_designed;
    bool m_opened = false;
    QWidget* m_contents = nullptr;
    QScrollArea* m_scroll = nullptr;
    QPointer<QWidget> m_grid;
    QRect m_gridDesigned;
    std::vector<Placed> m_placed;
};

// What the window manager adds around a window; before the window has been
// framed, what a title bar and a thin border commonly take.
QMargins frameMargins(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (!margins.isNull())
        return margins;
    const int border = 4;
    return {border, border + window->style()->pixelMetric(QStyle::PM_TitleBarHeight), border, border};
}

} // namespace

QScrollArea* fitContents(QWidget* window, QWidget* grid)
{
    if (!window)
        return nullptr;
    if (auto* fit =
            window->findChild<ContentsFit*>(QStringLiteral("contentsfit"), Qt::FindDirectChildrenOnly))
        return fit->scrollArea();
    return (new ContentsFit(window, grid))->scrollArea();
}

QRect fittedGeometry(const QRect& geometry, const QMargins& frame, const QRect& available)
{
    const QRect room = available.marginsRemoved(frame);
    QRect fitted(geometry.topLeft(),
                 QSize(std::min(geometry.width(), room.width()), std::min(geometry.height(), room.height())));
    fitted.moveLeft(std::clamp(fitted.left(), room.left(), room.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), room.top(), room.bottom() + 1 - fitted.height()));
    return fitted;
}

QScreen* screenOf(const QWidget* window)
{
    QScreen* screen = window ? window->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

void fitToScreen(QWidget* window)
{
    QScreen* screen = screenOf(window);
    if (!window || !screen)
        return;
    const QMargins frame = frameMargins(window);
    const QRect fitted = fittedGeometry(window->geometry(), frame, screen->availableGeometry());
    if (fitted.size() != window->size()) {
        // A window with a layout shrinks by itself; its own views scroll.
        if (!window->layout())
            fitContents(window);
        // A window of fixed size stays fixed, only smaller.
        if (window->minimumSize() == window->maximumSize())
            window->setFixedSize(fitted.size());
        else
            window->resize(fitted.size());
    }
    // A window's position is that of its frame.
    window->move(fitted.topLeft() - QPoint(frame.left(), frame.top()));
}

} // namespace qv
