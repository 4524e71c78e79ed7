#pragma once

#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace qv {

class Transaction;

// w_main: the frame with the menu m_main, its toolbar and the client area
// mdi_1 in which the task windows open as sheets.
class MainWindow : public QMainWindow
{
public:
    explicit MainWindow(Transaction& transaction, QWidget* parent = nullptr);

    // Opens the named window the way its menu item does. Returns the window,
    // or nullptr when no such window is registered.
    QWidget* openSheet(const QString& name);
    QWidget* openResponse(const QString& name);
    QWidget* openTopLevel(const QString& name);

    QMdiArea* clientArea() const { return m_mdi; }
    QMdiSubWindow* sheetFrame(const QString& name) const;

    void showHelp();
    void exitSystem(); // 退出系统: no question of its own

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void refreshWindowList();
    // Closes the sheets and the windows opened beside the frame; false when
    // one of them stays open.
    bool closeTaskWindows();

    Transaction& m_sqlca;
    QMdiArea* m_mdi;
    QMenu* m_windowMenu = nullptr;
    bool m_halting = false;
};

// Opens the frame maximised over the connection.
QWidget* openMainWindow(Transaction& transaction);

} // namespace qv
