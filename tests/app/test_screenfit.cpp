#include "support/testledger.h"

#include "app/halt.h"
#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "app/sheets.h"
#include "platform/core/messagebox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>

#include <iostream>

using namespace qv;

QT_BEGIN_NAMESPACE
void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}
QT_END_NAMESPACE

// Run once per screen by the test command (offscreen at the screen's size,
// with its scale factor); run alone, on the offscreen default screen.
namespace {

enum class Opened { Sheet, Response, TopLevel, Help };

struct WindowCase
{
    const char* name;
    Opened how;
};

// Every window of the menu that has controls of its own.
const WindowCase kWindows[] = {
    {"w_lwdj", Opened::Sheet},    {"w_fwng", Opened::Sheet},     {"w_ldpy", Opened::Sheet},
    {"w_sgsh", Opened::Sheet},    {"w_lwcx", Opened::Sheet},     {"w_dbcl", Opened::Sheet},
    {"w_wjfx", Opened::Sheet},    {"w_fwcx", Opened::Sheet},     {"w_gwgd", Opened::Sheet},
    {"w_wjgd", Opened::Sheet},    {"w_wlye", Opened::Sheet},     {"w_tjfx", Opened::Sheet},
    {"w_wlrywh", Opened::Sheet},  {"w_jlk_wh", Opened::Sheet},   {"w_lsk_wh", Opened::Sheet},
    {"w_ndtj", Opened::Response}, {"w_about", Opened::Response}, {"w_czrsz", Opened::TopLevel},
    {"w_help", Opened::Help},     {"w_drld", Opened::Sheet},
};

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QRect onScreen(const QWidget* w)
{
    return {w->mapToGlobal(QPoint(0, 0)), w->size()};
}

// What of `w` shows: its rectangle cut by each enclosing widget's up to its
// window, and by the room the screen leaves.
QRect shownPart(const QWidget* w, bool onTheScreen = true)
{
    QRect shown = onScreen(w);
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        shown &= onScreen(p);
        if (p->isWindow())
            break;
    }
    return onTheScreen ? shown & w->screen()->availableGeometry() : shown;
}

// The buttons and fields a person works with: not the parts of a grid, a
// spin box, a list or a tab bar.
QList<QWidget*> controls(QWidget* window)
{
    QList<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLineEdit*>(w) &&
            !qobject_cast<QAbstractSpinBox*>(w) && !qobject_cast<QComboBox*>(w))
            continue;
        if (!w->isVisibleTo(window))
            continue;
        bool part = false;
        for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            part = part || qobject_cast<QAbstractItemView*>(p) || qobject_cast<QAbstractSpinBox*>(p) ||
                   qobject_cast<QComboBox*>(p) || qobject_cast<QTabBar*>(p) || qobject_cast<QScrollBar*>(p);
        if (!part)
            out << w;
    }
    return out;
}

// A control is in reach when it shows whole once the focus is on it, as the
// keyboard brings it there, or, taking no focus, once its scroll area has
// scrolled to it, as the mouse would.
void expectAllInReach(QWidget* window, const QString& name)
{
    const QList<QWidget*> all = controls(window);
    // The manual has nothing but its page.
    if (name != u"w_help") {
        EXPECT_GE(all.size(), 1) << name.toStdString();
    }
    for (QWidget* control : all) {
        if (control->focusPolicy() & Qt::TabFocus) {
            control->setFocus(Qt::TabFocusReason);
        } else {
            for (QWidget* p = control->parentWidget(); p; p = p->parentWidget())
                if (auto* area = qobject_cast<QScrollArea*>(p)) {
                    area->ensureWidgetVisible(control, 0, 0);
                    break;
                }
        }
        settle();
        EXPECT_EQ(shownPart(control), onScreen(control))
            << name.toStdString() << " " << control->objectName().toStdString() << " "
            << control->metaObject()->className();
    }
}

class ScreenFit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        installScriptedMessageBoxes();
        setHaltHandler([] {});
        registerTaskWindows();
        QString error;
        ASSERT_TRUE(m_ledger.create(error)) << error.toStdString();
    }
    void TearDown() override { setHaltHandler({}); }

    test::TestLedger m_ledger{QStringLiteral("SQLite")};
};

} // namespace

TEST_F(ScreenFit, EveryControlOfEveryWindowCanBeReachedOnTheScreen)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    std::cout << "screen " << available.width() << "x" << available.height() << " at scale "
              << QGuiApplication::primaryScreen()->devicePixelRatio() << "\n";
    QWidget* frameWidget = openMainWindow(m_ledger.sqlca());
    auto* frame = static_cast<MainWindow*>(frameWidget);
    ASSERT_TRUE(frame);
    QApplication::setActiveWindow(frame);
    settle();
    for (const WindowCase& c : kWindows) {
        const QString name = QLatin1String(c.name);
        SCOPED_TRACE(c.name);
        QWidget* window = nullptr;
        switch (c.how) {
        case Opened::Sheet:
            window = frame->openSheet(name);
            break;
        case Opened::Response:
            window = frame->openResponse(name);
            break;
        case Opened::TopLevel:
            window = frame->openTopLevel(name);
            break;
        case Opened::Help:
            window = openHelpWindow();
            window->show();
            break;
        }
        ASSERT_TRUE(window);
        settle();
        if (c.how == Opened::Sheet) {
            QMdiSubWindow* sheet = frame->sheetFrame(name);
            ASSERT_TRUE(sheet);
            const QRect area(QPoint(0, 0), frame->clientArea()->viewport()->size());
            EXPECT_TRUE(area.contains(sheet->geometry())) << "the sheet's frame lies in the client area";
        } else {
            QApplication::setActiveWindow(window);
            settle();
            EXPECT_TRUE(available.contains(window->geometry())) << "the window lies on the screen";
        }
        expectAllInReach(window, name);
        if (window->layout()) {
            // A window its layout arranges: no two of its controls lie on
            // one another.
            const QList<QWidget*> all = controls(window);
            for (QWidget* a : all)
                for (QWidget* b : all)
                    if (a < b && !a->isAncestorOf(b) && !b->isAncestorOf(a)) {
                        const QRect ra(a->mapTo(window, QPoint(0, 0)), a->size());
                        const QRect rb(b->mapTo(window, QPoint(0, 0)), b->size());
                        EXPECT_FALSE(ra.intersects(rb))
                            << a->objectName().toStdString() << " on " << b->objectName().toStdString();
                    }
        }
        if (c.how == Opened::Sheet)
            frame->sheetFrame(name)->close();
        else
            window->close();
        settle();
    }
    delete frame;
    settle();
}

TEST_F(ScreenFit, AMaximisedSheetGivesItsGridTheRoomAndMovesWhatIsBelowAlong)
{
    MainWindow frame(m_ledger.sqlca());
    // Larger than any sheet's designed size, so that each opens at it.
    frame.resize(2400, 1600);
    frame.show();
    settle();
    for (const char* name : {"w_ldpy", "w_dbcl", "w_wlye", "w_wlrywh", "w_jlk_wh", "w_lsk_wh"}) {
        SCOPED_TRACE(name);
        QWidget* sheet = frame.openSheet(QLatin1String(name));
        ASSERT_TRUE(sheet);
        settle();
        auto* grid = sheet->findChild<QAbstractItemView*>(QStringLiteral("dw_1"));
        ASSERT_TRUE(grid);
        const QSize designed = sheet->size();
        const QRect gridBefore = QRect(grid->mapTo(sheet, QPoint(0, 0)), grid->size());
        // Where the controls are in the sheet; a maximised sheet's title bar
        // moves into the frame's menu bar.
        auto inSheet = [sheet](const QWidget* w) { return QRect(w->mapTo(sheet, QPoint(0, 0)), w->size()); };
        QHash<QWidget*, QRect> before;
        for (QWidget* control : controls(sheet))
            before.insert(control, inSheet(control));

        frame.sheetFrame(QLatin1String(name))->showMaximized();
        settle();
        const int dx = sheet->width() - designed.width();
        const int dy = sheet->height() - designed.height();
        ASSERT_GT(dx, 100);
        ASSERT_GT(dy, 100);
        EXPECT_EQ(grid->size(), gridBefore.size() + QSize(dx, dy));
        int below = 0;
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            const QRect now = inSheet(it.key());
            if (it.value().top() > gridBefore.bottom()) {
                ++below;
                EXPECT_EQ(now.top(), it.value().top() + dy) << it.key()->objectName().toStdString();
            }
            EXPECT_EQ(shownPart(it.key(), false), onScreen(it.key())) << it.key()->objectName().toStdString();
        }
        const bool hasButtonsBelow = QByteArray(name) != "w_dbcl" && QByteArray(name) != "w_lsk_wh";
        EXPECT_EQ(below > 0, hasButtonsBelow);
        frame.sheetFrame(QLatin1String(name))->close();
        settle();
    }
}
