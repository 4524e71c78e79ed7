#include "mainwindow.h"

#include "halt.h"
#include "helpwindow.h"
#include "platform/output/printsetup.h"
#include "platform/widgets/textfieldkeys.h"
#include "sheets.h"
#include "shipped.h"
#include "toolbaricons.h"

#include "platform/core/globals.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/reports/units.h"
#include "platform/widgets/named.h"
#include "platform/widgets/sheetfit.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QToolBar>
#include <algorithm>

namespace qv {

namespace {

enum class Kind { DropDown, Separator, Sheet, Response, TopLevel, PrintSetup, Help, Command, Exit };

struct MenuEntry
{
    const char* name;
    const char* text;
    const char* shortcut; // empty: none
    const char* picture;  // stock toolbar picture; empty: no toolbar button
    const char* tip;
    Kind kind;
    const char* target; // window name or command name
};

// m_main, in menu order. A drop-down entry starts a new bar item. Ctrl+X and
// Ctrl+K keep their editing meaning (cut; delete to the end of the line)
// inside text fields and run their items only outside them (TextFieldKeys).
const MenuEntry kMenu[] = {
    {"m_1", "(&S)收情管理", "", "", "", Kind::DropDown, ""},
    {"m_1_1", "收情登记", "", "Custom072!", "收情登记", Kind::Sheet, "w_lwdj"},
    {"m_1_5", "礼簿登记", "", "", "礼簿登记", Kind::Sheet, "w_lbdj"},
    {"m_1_2", "收情查询（单人）\tCtrl+K", "Ctrl+K", "Custom065!", "收情查询（单人）", Kind::Sheet, "w_ldpy"},
    {"m_-", "-", "", "", "", Kind::Separator, ""},
    {"m_1_3", "收情查询（所有）", "", "Custom014!", "收情查询（所有）", Kind::Sheet, "w_dbcl"},
    {"m_1_4", "收情分析", "", "CreateIndex!", "收情分析", Kind::Sheet, "w_gwgd"},
    {"m_3", "(&F)送情管理", "", "", "", Kind::DropDown, ""},
    {"m_3_1", "送情登记", "", "DropDownListBox!", "送情登记", Kind::Sheet, "w_fwng"},
    {"m_3_2", "送情查询（单人）", "", "SetNextStatement!", "送情查询（单人）", Kind::Sheet, "w_sgsh"},
    {"m_3_3", "-", "", "", "", Kind::Separator, ""},
    {"m_3_4", "送情查询（所有）", "", "Cascade!", "送情查询（所有）", Kind::Sheet, "w_wjfx"},
    {"m_3_5", "送情分析", "", "Update!", "送情分析", Kind::Sheet, "w_wjgd"},
    {"m_4", "(&O)往来查询", "", "", "", Kind::DropDown, ""},
    {"m_4_1", "人情往来查询（单人）", "", "Find!", "人情往来查询（单人）", Kind::Sheet, "w_lwcx"},
    {"m_4_2", "人情往来查询（所有）", "", "Replace!", "人情往来查询（所有）", Kind::Sheet, "w_fwcx"},
    {"m_4_3", "往来余额（按人）", "", "", "", Kind::Sheet, "w_wlye"},
    {"m_5", "(&C)数据统计", "", "", "", Kind::DropDown, ""},
    {"m_5_1", "年度统计", "", "", "", Kind::Response, "w_ndtj"},
    {"m_5_2", "统计分析", "", "", "", Kind::Sheet, "w_tjfx"},
    {"m_2", "(&W)系统维护", "", "", "", Kind::DropDown, ""},
    {"m_2_1", "往来人员设置", "", "Custom026!", "单位名称设置", Kind::Sheet, "w_wlrywh"},
    {"m_2_3", "打印设置\tCtrl+S", "Ctrl+S", "Custom074!", "打印设置", Kind::PrintSetup, ""},
    {"m_-1", "-", "", "", "", Kind::Separator, ""},
    {"m_2_5", "操作人员设置", "", "", "", Kind::TopLevel, "w_czrsz"},
    {"m_2_6", "记录库维护", "", "", "", Kind::Sheet, "w_jlk_wh"},
    {"m_2_7", "统计库维护", "", "", "", Kind::Sheet, "w_lsk_wh"},
    {"m_-0", "-", "", "", "", Kind::Separator, ""},
    {"m_2_8", "数据初始化", "", "", "", Kind::Command, "datainit"},
    {"m_-2", "-", "", "", "", Kind::Separator, ""},
    {"m_2_9", "备份账本", "", "", "", Kind::Command, "backup"},
    {"m_2_10", "恢复账本", "", "", "", Kind::Command, "restore"},
    {"m_2_11", "导入礼单", "", "", "", Kind::Sheet, "w_drld"},
    {"m_6", "(&H)帮助", "", "", "", Kind::DropDown, ""},
    {"m_6_1", "系统帮助\tCtrl+H", "Ctrl+H", "Help!", "系统帮助", Kind::Help, ""},
    {"m_6_3", "关于软件", "", "Picture5!", "关于软件", Kind::Response, "w_about"},
    {"m_6_4", "退出系统\tCtrl+X", "Ctrl+X", "Exit!", "退出系统", Kind::Exit, ""},
};

// A sheet closes one way only: with its frame in the client area, asked
// once through its own close handler. Closed alone (its 退出 calls close()
// on the sheet), a sheet would leave an empty frame behind, and that frame
// would ask the hidden sheet again when it is closed later.
class SheetWatcher : public QObject
{
public:
    SheetWatcher(QWidget* sheet, QMdiSubWindow* frame) : QObject(frame), m_sheet(sheet), m_frame(frame)
    {
        sheet->installEventFilter(this);
        frame->installEventFilter(this);
        connect(sheet, &QObject::destroyed, frame, &QObject::deleteLater);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        if (watched == m_frame) {
            // The frame's own close handler asks the sheet next.
            m_frameAsks = true;
            return false;
        }
        if (watched != m_sheet || m_asking)
            return false;
        if (m_frameAsks) {
            m_frameAsks = false;
            return false;
        }
        // The sheet closes itself: its handler answers now, and on yes the
        // frame goes with it. While the sheet is closing, the frame's close
        // does not ask it a second time.
        QCloseEvent ask;
        m_asking = true;
        QCoreApplication::sendEvent(m_sheet, &ask);
        m_asking = false;
        event->setAccepted(ask.isAccepted());
        if (ask.isAccepted() && m_frame)
            m_frame->close();
        return true;
    }

private:
    QPointer<QWidget> m_sheet;
    QPointer<QMdiSubWindow> m_frame;
    bool m_frameAsks = false;
    bool m_asking = false;
};

QHash<QString, QPointer<QWidget>>& topLevelWindows()
{
    static QHash<QString, QPointer<QWidget>> windows;
    return windows;
}

} // namespace

MainWindow::MainWindow(Transaction& transaction, QWidget* parent) : QMainWindow(parent), m_sqlca(transaction)
{
    setObjectName(QStringLiteral("w_main"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(units::toPixels(1979, 1100));
    setWindowIcon(QIcon(shippedFile(QStringLiteral("rqwl.ico"))));
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);

    m_mdi = named<QMdiArea>(this, "mdi_1");
    m_mdi->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(m_mdi);
    buildMenu();
    qApp->installEventFilter(new TextFieldKeys(this));

    // Frame open: the working directory for the profile's full path. The
    // whole path is kept, however long, so that pb.ini is always found.
    Globals& g = globals();
    g.lls_dir = QString(100, QLatin1Char(' '));
    g.lls_dir = QDir::toNativeSeparators(QDir::currentPath());
    g.ls_dir = g.lls_dir;
    setWindowTitle(QStringLiteral("Quorvel"));
}

void MainWindow::buildMenu()
{
    auto* bar = menuBar();
    bar->setObjectName(QStringLiteral("m_main"));
    auto* tools = addToolBar(QStringLiteral("m_main"));
    tools->setObjectName(QStringLiteral("toolbar"));
    tools->setMovable(false);
    tools->setIconSize(QSize(24, 24));
    QMenu* menu = nullptr;
    for (const MenuEntry& e : kMenu) {
        const QString text = QString::fromUtf8(e.text);
        if (e.kind == Kind::DropDown) {
            menu = bar->addMenu(text);
            menu->setObjectName(QLatin1String(e.name));
            menu->menuAction()->setObjectName(QLatin1String(e.name));
            if (!m_windowMenu)
                m_windowMenu = menu;
            continue;
        }
        QAction* action = e.kind == Kind::Separator ? menu->addSeparator() : menu->addAction(text);
        action->setObjectName(QLatin1String(e.name));
        if (e.kind == Kind::Separator)
            continue;
        if (*e.shortcut)
            action->setShortcut(QKeySequence(QLatin1String(e.shortcut)));
        if (*e.picture) {
            action->setIcon(toolbarPicture(QLatin1String(e.picture)));
            action->setToolTip(QString::fromUtf8(e.tip));
            tools->addAction(action);
        }
        const QString target = QLatin1String(e.target);
        switch (e.kind) {
        case Kind::Sheet:
            connect(action, &QAction::triggered, this, [this, target] { openSheet(target); });
            break;
        case Kind::Response:
            connect(action, &QAction::triggered, this, [this, target] { openResponse(target); });
            break;
        case Kind::TopLevel:
            connect(action, &QAction::triggered, this, [this, target] { openTopLevel(target); });
            break;
        case Kind::PrintSetup:
            connect(action, &QAction::triggered, this, [this] { printsetup(this); });
            break;
        case Kind::Help:
            connect(action, &QAction::triggered, this, &MainWindow::showHelp);
            break;
        case Kind::Command:
            connect(action, &QAction::triggered, this, [this, target] {
                if (auto command = menuCommand(target))
                    command(m_sqlca, this);
            });
            break;
        case Kind::Exit:
            connect(action, &QAction::triggered, this, &MainWindow::exitSystem);
            break;
        case Kind::DropDown:
        case Kind::Separator:
            break;
        }
    }
    connect(m_windowMenu, &QMenu::aboutToShow, this, &MainWindow::refreshWindowList);
}

// The open sheets' titles under the first menu; choosing one brings it up.
void MainWindow::refreshWindowList()
{
    const QList<QAction*> old = m_windowMenu->findChildren<QAction*>(QStringLiteral("windowlist"));
    for (QAction* a : old) {
        m_windowMenu->removeAction(a);
        delete a;
    }
    const QList<QMdiSubWindow*> frames = m_mdi->subWindowList();
    if (frames.isEmpty())
        return;
    auto* separator = new QAction(m_windowMenu);
    separator->setSeparator(true);
    separator->setObjectName(QStringLiteral("windowlist"));
    m_windowMenu->addAction(separator);
    int number = 0;
    for (QMdiSubWindow* frame : frames) {
        ++number;
        auto* item =
            new QAction(QStringLiteral("&%1 %2").arg(number).arg(frame->windowTitle()), m_windowMenu);
        item->setObjectName(QStringLiteral("windowlist"));
        item->setCheckable(true);
        item->setChecked(frame == m_mdi->activeSubWindow());
        QPointer<QMdiSubWindow> target = frame;
        connect(item, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdi->setActiveSubWindow(target);
        });
        m_windowMenu->addAction(item);
    }
}

QMdiSubWindow* MainWindow::sheetFrame(const QString& name) const
{
    for (QMdiSubWindow* frame : m_mdi->subWindowList())
        if (frame->widget() && frame->widget()->objectName() == name)
            return frame;
    return nullptr;
}

QWidget* MainWindow::openSheet(const QString& name)
{
    if (QMdiSubWindow* open = sheetFrame(name)) {
        if (open->isMinimized())
            open->showNormal();
        m_mdi->setActiveSubWindow(open);
        return open->widget();
    }
    const WindowFactory factory = windowFactory(name);
    if (!factory)
        return nullptr;
    QWidget* sheet = factory(m_sqlca);
    if (!sheet)
        return nullptr;
    if (sheet->objectName().isEmpty())
        sheet->setObjectName(name);
    // Windows laid out by hand give no size hint; keep the size they were
    // designed at, or the sub-window would shrink to its title bar.
    const QSize designed = sheet->testAttribute(Qt::WA_Resized) ? sheet->size() : QSize();
    // Larger than the client area, a sheet is given what there is and its
    // contents scroll; larger than designed (maximised), its grid grows. A
    // sheet with a layout arranges itself: moving its controls out of the
    // layout would pile them up in its corner.
    if (!sheet->layout())
        fitContents(sheet);
    QMdiSubWindow* frame = m_mdi->addSubWindow(sheet);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    new SheetWatcher(sheet, frame);
    frame->show();
    const QSize area = m_mdi->viewport()->size();
    if (designed.isValid())
        frame->resize((designed + (frame->size() - sheet->size())).boundedTo(area));
    // Every sheet is placed the same way: cascaded from the top left, and
    // kept inside the client area as far as its size allows.
    const int step = 24 * int(m_mdi->subWindowList().size() - 1);
    frame->move(std::max(0, std::min(step, area.width() - frame->width())),
                std::max(0, std::min(step, area.height() - frame->height())));
    m_mdi->setActiveSubWindow(frame);
    return sheet;
}

QWidget* MainWindow::openResponse(const QString& name)
{
    const WindowFactory factory = windowFactory(name);
    QWidget* window = factory ? factory(m_sqlca) : nullptr;
    if (!window)
        return nullptr;
    const Qt::WindowFlags flags = qobject_cast<QDialog*>(window) ? window->windowFlags() : Qt::Dialog;
    window->setParent(this, flags);
    window->setWindowModality(Qt::ApplicationModal);
    window->setAttribute(Qt::WA_DeleteOnClose);
    fitToScreen(window);
    window->show();
    return window;
}

QWidget* MainWindow::openTopLevel(const QString& name)
{
    QPointer<QWidget>& open = topLevelWindows()[name];
    if (open) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return open;
    }
    const WindowFactory factory = windowFactory(name);
    QWidget* window = factory ? factory(m_sqlca) : nullptr;
    if (!window)
        return nullptr;
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    fitToScreen(window);
    window->show();
    open = window;
    return window;
}

void MainWindow::showHelp()
{
    // Every choice starts a viewer of its own, as a separate program would.
    if (QWidget* viewer = openHelpWindow())
        viewer->show();
}

bool MainWindow::closeTaskWindows()
{
    // Each through its own close handler, which asks about its unsaved
    // changes; the first that is kept stops the closing, and the operator
    // finds it in front.
    for (QMdiSubWindow* frame : m_mdi->subWindowList()) {
        if (!frame->close()) {
            m_mdi->setActiveSubWindow(frame);
            return false;
        }
    }
    for (const QPointer<QWidget>& window : topLevelWindows()) {
        if (window && window->isVisible() && !window->close()) {
            window->raise();
            window->activateWindow();
            return false;
        }
    }
    return true;
}

void MainWindow::exitSystem()
{
    // No question of its own; a window with unsaved changes still asks.
    if (!closeTaskWindows())
        return;
    m_halting = true;
    m_sqlca.disconnect();
    halt();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_halting) {
        event->accept();
        return;
    }
    const int answer = messagebox(QStringLiteral("退出"), QStringLiteral("确实退出吗?"), Icon::Question,
                                  Buttons::OKCancel, 2);
    // The windows get their say before the connection they write through goes.
    if (answer != 1 || !closeTaskWindows()) {
        event->ignore();
        return;
    }
    m_sqlca.disconnect();
    event->accept();
    m_halting = true;
    halt();
}

QWidget* openMainWindow(Transaction& transaction)
{
    auto* frame = new MainWindow(transaction);
    // Without a window manager (a bare X server) maximising does nothing;
    // filling the screen first gives the same result there.
    if (QScreen* screen = frame->screen())
        frame->setGeometry(screen->availableGeometry());
    frame->showMaximized();
    return frame;
}

} // namespace qv
