#include "support/testledger.h"

#include "app/halt.h"
#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "app/sheets.h"
#include "platform/core/globals.h"
#include "platform/core/messagebox.h"
#include "platform/output/printing.h"
#include "platform/output/printpreview.h"
#include "queries/giftquerywindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>

using namespace qv;

namespace {

QAction* item(QWidget* frame, const char* name)
{
    return frame->findChild<QAction*>(QLatin1String(name));
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A frame over a connection, with stand-in task windows and a halt that
// only counts.
class Frame
{
public:
    explicit Frame(Transaction& t)
    {
        setHaltHandler([this] { ++halts; });
        for (const char* name : {"w_lwdj", "w_ldpy", "w_czrsz", "w_ndtj"}) {
            const QString n = QLatin1String(name);
            registerWindow(n, [this, n](Transaction&) {
                ++made[n];
                auto* w = new QWidget;
                w->setObjectName(n);
                w->setWindowTitle(n + QStringLiteral(" 标题"));
                return w;
            });
        }
        window = new MainWindow(t);
        window->show();
    }
    ~Frame()
    {
        delete window.data();
        for (const QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("w_czrsz") || w->objectName() == QLatin1String("w_help"))
                delete w;
        for (const char* name : {"w_lwdj", "w_ldpy", "w_czrsz", "w_ndtj"})
            unregisterWindow(QLatin1String(name));
        setHaltHandler({});
    }
    QMdiArea* mdi() const { return window->clientArea(); }
    QString active() const
    {
        QMdiSubWindow* f = mdi()->activeSubWindow();
        return f && f->widget() ? f->widget()->objectName() : QString();
    }

    QPointer<MainWindow> window;
    QHash<QString, int> made;
    int halts = 0;
};

} // namespace

TEST(MainFrame, MenuShortcutsToolbarAndTitle)
{
    Transaction t;
    Frame f(t);
    EXPECT_EQ(f.window->windowTitle(), QStringLiteral("Quorvel"));
    EXPECT_EQ(globals().ls_dir, QDir::toNativeSeparators(QDir::currentPath()));

    const QStringList bar = {QStringLiteral("(&S)收情管理"), QStringLiteral("(&F)送情管理"),
                             QStringLiteral("(&O)往来查询"), QStringLiteral("(&C)数据统计"),
                             QStringLiteral("(&W)系统维护"), QStringLiteral("(&H)帮助")};
    QStringList shownBar;
    for (QAction* a : f.window->menuBar()->actions())
        shownBar << a->text();
    EXPECT_EQ(shownBar, bar);

    const std::pair<const char*, const char*> shortcuts[] = {
        {"m_1_2", "Ctrl+K"}, {"m_2_3", "Ctrl+S"}, {"m_6_1", "Ctrl+H"}, {"m_6_4", "Ctrl+X"}};
    for (const auto& [name, keys] : shortcuts) {
        ASSERT_TRUE(item(f.window, name)) << name;
        EXPECT_EQ(item(f.window, name)->shortcut(), QKeySequence(QLatin1String(keys))) << name;
        EXPECT_TRUE(item(f.window, name)->text().endsWith(QLatin1Char('\t') + QLatin1String(keys))) << name;
    }
    for (const char* separator : {"m_-", "m_3_3", "m_-1", "m_-0"})
        EXPECT_TRUE(item(f.window, separator) && item(f.window, separator)->isSeparator()) << separator;

    auto* tools = f.window->findChild<QToolBar*>();
    ASSERT_TRUE(tools);
    QStringList tips;
    for (QAction* a : tools->actions()) {
        tips << a->toolTip();
        EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
    }
    EXPECT_EQ(tips.size(), 15);
    EXPECT_EQ(tips.value(0), QStringLiteral("收情登记"));
    EXPECT_EQ(tips.value(1), QStringLiteral("收情查询（单人）"));
    EXPECT_TRUE(tips.contains(QStringLiteral("单位名称设置")));
    EXPECT_EQ(tips.value(14), QStringLiteral("退出系统"));
}

TEST(MainFrame, ASheetOpensOnceAndTheWindowListBringsSheetsBack)
{
    Transaction t;
    Frame f(t);
    item(f.window, "m_1_1")->trigger();
    item(f.window, "m_1_2")->trigger();
    EXPECT_EQ(f.active(), QStringLiteral("w_ldpy"));
    item(f.window, "m_1_1")->trigger();
    EXPECT_EQ(f.mdi()->subWindowList().size(), 2);
    EXPECT_EQ(f.made.value(QStringLiteral("w_lwdj")), 1);
    EXPECT_EQ(f.active(), QStringLiteral("w_lwdj"));

    // Items whose windows are not there open nothing and say nothing.
    auto& boxes = installScriptedMessageBoxes();
    item(f.window, "m_1_3")->trigger();
    EXPECT_EQ(f.mdi()->subWindowList().size(), 2);
    EXPECT_TRUE(boxes.shown().isEmpty());

    auto* first = f.window->findChild<QMenu*>(QStringLiteral("m_1"));
    ASSERT_TRUE(first);
    emit first->aboutToShow();
    QAction* listed = nullptr;
    for (QAction* a : first->actions())
        if (a->objectName() == QLatin1String("windowlist") &&
            a->text().contains(QStringLiteral("w_ldpy 标题")))
            listed = a;
    ASSERT_TRUE(listed);
    listed->trigger();
    EXPECT_EQ(f.active(), QStringLiteral("w_ldpy"));
    emit first->aboutToShow(); // rebuilt, not appended to
    int entries = 0;
    for (QAction* a : first->actions())
        entries += a->objectName() == QLatin1String("windowlist") && !a->isSeparator();
    EXPECT_EQ(entries, 2);
}

TEST(MainFrame, ASheetThatClosesItselfTakesItsFrameAlong)
{
    Transaction t;
    Frame f(t);
    QWidget* kept = f.window->openSheet(QStringLiteral("w_lwdj"));
    QWidget* deleting = f.window->openSheet(QStringLiteral("w_ldpy"));
    ASSERT_TRUE(kept && deleting);
    deleting->setAttribute(Qt::WA_DeleteOnClose);
    kept->close();
    deleting->close();
    settle();
    settle();
    EXPECT_TRUE(f.mdi()->subWindowList().isEmpty());
    // And it can be opened again afterwards.
    EXPECT_TRUE(f.window->openSheet(QStringLiteral("w_lwdj")));
    EXPECT_EQ(f.mdi()->subWindowList().size(), 1);
}

TEST(MainFrame, ResponseWindowsAreModalAndTheOperatorsWindowStandsAlone)
{
    Transaction t;
    Frame f(t);
    item(f.window, "m_5_1")->trigger();
    item(f.window, "m_2_5")->trigger();
    QWidget* annual = nullptr;
    QWidget* operators = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("w_ndtj") && w->isVisible())
            annual = w;
        if (w->objectName() == QLatin1String("w_czrsz") && w->isVisible())
            operators = w;
    }
    ASSERT_TRUE(annual);
    EXPECT_EQ(annual->windowModality(), Qt::ApplicationModal);
    annual->close();
    settle();
    ASSERT_TRUE(operators);
    EXPECT_TRUE(operators->isWindow());
    EXPECT_TRUE(f.mdi()->subWindowList().isEmpty());
    EXPECT_EQ(operators->windowModality(), Qt::NonModal);

    item(f.window, "m_6_3")->trigger();
    QWidget* about = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("w_about") && w->isVisible())
            about = w;
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isModal());
    about->close();
    settle();
}

TEST(MainFrame, HelpShowsTheManualOfTheWorkingDirectoryOrTheBuiltInOne)
{
    const QString previous = QDir::currentPath();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    EXPECT_EQ(helpSource(), QStringLiteral(":/help/index.html"));
    QDir(dir.path()).mkpath(QStringLiteral("help"));
    QFile local(dir.filePath(QStringLiteral("help/index.html")));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write("<html><body>本地</body></html>");
    local.close();
    EXPECT_EQ(helpSource(), QDir::current().filePath(QStringLiteral("help/index.html")));

    Transaction t;
    {
        Frame f(t);
        item(f.window, "m_6_1")->trigger();
        item(f.window, "m_6_1")->trigger();
        int viewers = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            viewers += w->objectName() == QLatin1String("w_help") && w->isVisible();
        EXPECT_EQ(viewers, 2);
    }
    QDir::setCurrent(previous);
}

TEST(MainFrame, CtrlXAndCtrlKEditTextFieldsAndRunTheirMenuItemsElsewhere)
{
    Transaction t;
    Frame f(t);
    auto* sheet = new QWidget;
    auto* line = new QLineEdit(QStringLiteral("张三丰"), sheet);
    auto* notes = new QPlainTextEdit(QStringLiteral("一二三"), sheet);
    auto* amount = new QDoubleSpinBox(sheet);
    auto* button = new QPushButton(QStringLiteral("存档"), sheet);
    amount->setDecimals(0);
    amount->setValue(125);
    registerWindow(QStringLiteral("w_test"), [sheet](Transaction&) { return sheet; });
    f.window->openSheet(QStringLiteral("w_test"));
    unregisterWindow(QStringLiteral("w_test"));
    f.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window));

    struct Case
    {
        const char* field;
        QWidget* widget;
        std::function<void()> place; // the caret after the first character, or a selection
        std::function<QString()> text;
        QString afterKill;
    };
    const Case cases[] = {
        {"line edit", line, [&] { line->setCursorPosition(1); }, [&] { return line->text(); },
         QStringLiteral("张")},
        {"text editor", notes,
         [&] {
             notes->moveCursor(QTextCursor::Start);
             notes->moveCursor(QTextCursor::Right);
         },
         [&] { return notes->toPlainText(); }, QStringLiteral("一")},
        {"number field", amount, [&] { amount->findChild<QLineEdit*>()->setCursorPosition(1); },
         [&] { return amount->text(); }, QStringLiteral("1")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        c.widget->setFocus();
        c.place();
        QTest::keyClick(c.widget, Qt::Key_K, Qt::ControlModifier);
        EXPECT_EQ(c.text(), c.afterKill);
        EXPECT_EQ(f.made.value(QStringLiteral("w_ldpy")), 0) << "Ctrl+K opened 收情查询（单人）";
        QTest::keyClick(c.widget, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(c.widget, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(c.text(), QString()) << "cut";
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.afterKill);
        EXPECT_EQ(f.halts, 0) << "Ctrl+X ended the program";
    }
    button->setFocus();
    QTest::keyClick(button, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(f.made.value(QStringLiteral("w_ldpy")), 1);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(f.halts, 1);
}

class MainFrameDb : public qv::test::LedgerTest
{
};

TEST_P(MainFrameDb, ClosingAsksAndOnlyOkDisconnects)
{
    auto& boxes = installScriptedMessageBoxes();
    Frame f(sqlca());
    boxes.queueAnswer(2);
    EXPECT_FALSE(f.window->close());
    ASSERT_EQ(boxes.shown().size(), 1);
    const ShownMessage& asked = boxes.shown()[0];
    EXPECT_EQ(asked.title, QStringLiteral("退出"));
    EXPECT_EQ(asked.text, QStringLiteral("确实退出吗?"));
    EXPECT_EQ(asked.icon, Icon::Question);
    EXPECT_EQ(asked.buttons, Buttons::OKCancel);
    EXPECT_EQ(asked.defaultButton, 2);
    EXPECT_TRUE(f.window->isVisible());
    EXPECT_TRUE(sqlca().isConnected());
    EXPECT_EQ(f.halts, 0);

    boxes.queueAnswer(1);
    EXPECT_TRUE(f.window->close());
    EXPECT_FALSE(sqlca().isConnected());
    EXPECT_EQ(f.halts, 1);
}

TEST_P(MainFrameDb, ASheetThatRefusesToCloseKeepsTheFrameAndTheConnection)
{
    auto& boxes = installScriptedMessageBoxes();
    Frame f(sqlca());
    struct Stubborn : QWidget
    {
        void closeEvent(QCloseEvent* e) override { e->ignore(); }
    };
    registerWindow(QStringLiteral("w_stubborn"), [](Transaction&) -> QWidget* { return new Stubborn; });
    ASSERT_TRUE(f.window->openSheet(QStringLiteral("w_stubborn")));
    boxes.queueAnswer(1);
    EXPECT_FALSE(f.window->close());
    EXPECT_TRUE(sqlca().isConnected());
    EXPECT_EQ(f.halts, 0);
    unregisterWindow(QStringLiteral("w_stubborn"));
}

// A sheet whose print preview is open stays until the preview is done, even
// when its 退出 is pressed behind the preview (accessibility tools can): the
// preview's loop runs inside the sheet's 打印 and would wake up in a
// destroyed window.
TEST_P(MainFrameDb, ASheetDoesNotCloseUnderItsOwnPreview)
{
    installScriptedMessageBoxes();
    Frame f(sqlca());
    registerWindow(QStringLiteral("w_fwcx"), [](Transaction& t) { return createGiftQuery(u"w_fwcx", t); });
    QPointer<QWidget> sheet = f.window->openSheet(QStringLiteral("w_fwcx"));
    ASSERT_TRUE(sheet);
    auto* exit = sheet->findChild<QPushButton*>(QStringLiteral("cb_3"));
    bool previewed = false;
    setPreviewRunner([&](PrintPreviewDialog& preview) {
        previewed = true;
        QTimer::singleShot(0, &preview, [&] { exit->click(); });
        // Long enough for a frame deleted later to go inside the preview's loop.
        QTimer::singleShot(200, &preview, &QDialog::reject);
        preview.exec();
    });
    sheet->findChild<QPushButton*>(QStringLiteral("cb_2"))->click();
    setPreviewRunner({});
    settle();
    ASSERT_TRUE(previewed);
    ASSERT_TRUE(sheet) << "the sheet went while its preview ran";
    EXPECT_TRUE(sheet->isVisible());

    exit->click();
    settle();
    EXPECT_FALSE(sheet) << "once the preview is done, 退出 closes the sheet";
    EXPECT_TRUE(f.mdi()->subWindowList().isEmpty());
    unregisterWindow(QStringLiteral("w_fwcx"));
}

TEST_P(MainFrameDb, ExitSystemEndsWithoutAsking)
{
    auto& boxes = installScriptedMessageBoxes();
    Frame f(sqlca());
    f.window->openSheet(QStringLiteral("w_lwdj"));
    item(f.window, "m_6_4")->trigger();
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_FALSE(sqlca().isConnected());
    EXPECT_EQ(f.halts, 1);
}

// A sheet holding changes that asks before they are dropped, as the editable
// windows do.
class PendingSheet : public QWidget
{
public:
    PendingSheet(const QString& name, bool pending, QStringList& saved) : m_pending(pending), m_saved(saved)
    {
        setObjectName(name);
    }
    void closeEvent(QCloseEvent* e) override
    {
        const bool mayClose = confirmUnsavedChanges(m_pending, [this] {
            m_saved << objectName();
            m_pending = false;
            return true;
        });
        if (mayClose)
            e->accept();
        else
            e->ignore();
    }

private:
    bool m_pending;
    QStringList& m_saved;
};

TEST_P(MainFrameDb, EveryWayOutLetsEachWindowAskAboutItsChangesAndAnyOfThemKeepsTheFrame)
{
    enum Way { ExitSystem, CloseBox };
    enum Answer { Yes = 1, No = 2, Cancel = 3 };
    const QString exitQuestion = QStringLiteral("确实退出吗?");
    const QString unsaved = QStringLiteral("数据未保存！是否存盘?");
    struct Case
    {
        const char* what;
        Way way;
        QStringList pending; // windows with unsaved changes, of w_lwdj, w_ldpy, w_czrsz
        QList<int> answers;  // after 确实退出吗? has been answered OK
        QStringList asked;
        QStringList saved;
        bool ends;
        int sheetsLeft = 0; // when kept: the sheet that refused and those not reached
    };
    const QString lwdj = QStringLiteral("w_lwdj"), ldpy = QStringLiteral("w_ldpy"),
                  czrsz = QStringLiteral("w_czrsz");
    const Case cases[] = {
        {"退出系统 with nothing unsaved", ExitSystem, {}, {}, {}, {}, true},
        {"退出系统, kept", ExitSystem, {ldpy}, {Cancel}, {unsaved}, {}, false, 1},
        {"退出系统, dropped", ExitSystem, {ldpy}, {No}, {unsaved}, {}, true},
        {"退出系统, saved", ExitSystem, {lwdj, ldpy}, {Yes, Yes}, {unsaved, unsaved}, {lwdj, ldpy}, true},
        {"退出系统, the operators window kept", ExitSystem, {czrsz}, {Cancel}, {unsaved}, {}, false, 0},
        {"close box, nothing unsaved", CloseBox, {}, {}, {exitQuestion}, {}, true},
        {"close box, the first kept stops the rest",
         CloseBox,
         {lwdj, ldpy},
         {Cancel},
         {exitQuestion, unsaved},
         {},
         false,
         2},
        {"close box, dropped", CloseBox, {lwdj}, {No}, {exitQuestion, unsaved}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!sqlca().isConnected()) {
            ledger().configure(sqlca());
            ASSERT_TRUE(sqlca().connect());
        }
        auto& boxes = installScriptedMessageBoxes();
        QStringList saved;
        Frame f(sqlca());
        for (const QString& name : {lwdj, ldpy, czrsz}) {
            const bool pending = c.pending.contains(name);
            registerWindow(name, [name, pending, &saved](Transaction&) -> QWidget* {
                return new PendingSheet(name, pending, saved);
            });
        }
        f.window->openSheet(lwdj);
        f.window->openSheet(ldpy);
        f.window->openTopLevel(czrsz);
        if (c.way == CloseBox)
            boxes.queueAnswer(1);
        for (int answer : c.answers)
            boxes.queueAnswer(answer);

        if (c.way == ExitSystem)
            item(f.window, "m_6_4")->trigger();
        else
            f.window->close();
        settle();

        QStringList asked;
        for (const ShownMessage& m : boxes.shown())
            asked << m.text;
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(f.halts, c.ends ? 1 : 0);
        EXPECT_EQ(sqlca().isConnected(), !c.ends);
        if (!c.ends) {
            ASSERT_TRUE(f.window && f.window->isVisible());
            EXPECT_EQ(f.mdi()->subWindowList().size(), c.sheetsLeft);
        }
    }
}

QV_LEDGER_TEST_SUITE(MainFrameDb);

class MenuWiringDb : public qv::test::LedgerTest
{
};

TEST_P(MenuWiringDb, TheMenuOpensTheRegistrationFormsAndTheContactsWindowAsSheets)
{
    installScriptedMessageBoxes();
    setHaltHandler([] {});
    registerTaskWindows();
    {
        MainWindow frame(sqlca());
        // Room for the designed sizes; a smaller client area gives a sheet
        // only what it has.
        frame.resize(1400, 1000);
        frame.show();
        const QList<std::tuple<const char*, const char*, const char*>> items = {
            {"m_1_1", "w_lwdj", "收情登记"},
            {"m_3_1", "w_fwng", "送情登记"},
            {"m_2_1", "w_wlrywh", "往来人员设置"}};
        for (const auto& [action, name, title] : items) {
            item(&frame, action)->trigger();
            QMdiSubWindow* sheet = frame.clientArea()->activeSubWindow();
            ASSERT_TRUE(sheet && sheet->widget()) << action;
            EXPECT_EQ(sheet->widget()->objectName(), QLatin1String(name));
            EXPECT_EQ(sheet->widget()->windowTitle(), QString::fromUtf8(title));
            // Opened at its designed size, not shrunk to a title bar.
            EXPECT_GT(sheet->widget()->width(), 400) << name;
            EXPECT_GT(sheet->widget()->height(), 200) << name;
            EXPECT_GE(sheet->x(), 0);
            if (sheet->width() <= frame.clientArea()->viewport()->width()) {
                EXPECT_LE(sheet->geometry().right(), frame.clientArea()->viewport()->width()) << name;
            }
        }
        EXPECT_EQ(frame.clientArea()->subWindowList().size(), 3);
        frame.clientArea()->closeAllSubWindows();
        settle();
    }
    for (const char* name : {"w_lwdj", "w_fwng", "w_wlrywh"})
        unregisterWindow(QLatin1String(name));
    setHaltHandler({});
}

QV_LEDGER_TEST_SUITE(MenuWiringDb);
