#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class Transaction;

// w_login: operator code, then password, checked in memory against czr.
// The attempt counter and the operator's code, name and password live in
// the globals, as the rest of the program expects them there.
class LoginWindow : public QWidget
{
public:
    explicit LoginWindow(Transaction& transaction, QWidget* parent = nullptr);
    ~LoginWindow() override;

    // What a successful login opens; the main frame unless a test says otherwise.
    void setMainOpener(std::function<QWidget*(Transaction&)> opener) { m_openMain = std::move(opener); }

    // Handlers, public so that the frame of a test can drive them.
    void codeCommitted(); // sle_1 modified
    void loginAttempt();  // cb_1 clicked
    void cancel();        // cb_2 clicked

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void commitCode();
    void rejectCode();
    void failLookUp();

    Transaction& m_sqlca;
    std::function<QWidget*(Transaction&)> m_openMain;
    QLineEdit* m_code;
    QLineEdit* m_password;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    // A field's change counts once, when it is committed; leaving a field
    // that was not edited since must not look the code up again.
    bool m_codeEdited = false;
    bool m_passwordEdited = false;
    bool m_passwordIsNull = true;
    // Set when the login has ended (logged in, refused or cancelled). The
    // click on 确定 that takes the focus from a just-committed password
    // arrives after the attempt the commit made; it must not run another.
    bool m_ended = false;
};

// Opens the operator login window over the connection; returns it shown.
QWidget* openLoginWindow(Transaction& transaction);

} // namespace qv
