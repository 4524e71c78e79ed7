#include "loginwindow.h"

#include "centerwindows.h"
#include "mainwindow.h"
#include "shipped.h"

#include "platform/core/globals.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/reports/units.h"
#include "platform/widgets/named.h"
#include "platform/widgets/songfont.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace qv {

namespace {

const QString kCodeError = QStringLiteral("用户工号输入错误!");
const QString kPasswordError = QStringLiteral("密码错，您没有权利使用本系统 !");
const QString kLookUpFailed = QStringLiteral("查找操作员时数据库出错，请稍后再试!");

QLabel* picture(QWidget* parent, const char* name, const QString& file, const QRect& units)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setPixmap(QPixmap(shippedFile(file)));
    label->setScaledContents(true);
    label->setGeometry(units::toPixels(units.x(), units.y(), units.width(), units.height()));
    return label;
}

QLabel* blueLabel(QWidget* parent, const char* name, const QString& text, const QRect& units)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    label->setGeometry(units::toPixels(units.x(), units.y(), units.width(), units.height()));
    return label;
}

} // namespace

LoginWindow::~LoginWindow()
{
    // Going, the window hides and its fields lose the focus; the look-up
    // they would start must not run in a window half torn down.
    m_code->disconnect(this);
    m_password->disconnect(this);
}

LoginWindow::LoginWindow(Transaction& transaction, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_sqlca(transaction)
{
    m_openMain = [](Transaction& t) { return openMainWindow(t); };
    setObjectName(QStringLiteral("w_login"));
    setWindowTitle(QStringLiteral("用户登陆"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);
    setFont(songFont(QFont(), 10));
    setFixedSize(units::toPixels(1952, 740));

    picture(this, "p_3", QStringLiteral("setup.bmp"), {23, 36, 238, 176});
    picture(this, "p_1", QStringLiteral("login.bmp"), {411, 124, 206, 160});
    picture(this, "p_2", QStringLiteral("key.bmp"), {421, 328, 201, 156});
    blueLabel(this, "st_1", QStringLiteral("请输入代码"), {704, 84, 457, 52});
    blueLabel(this, "st_2", QStringLiteral("请输入密码"), {695, 300, 457, 52});
    blueLabel(this, "st_3", QStringLiteral("注：默认管理员代码是7063；密码7063，请登陆后修改"),
              {297, 552, 1458, 56});

    m_code = named<QLineEdit>(this, "sle_1");
    m_code->setGeometry(units::toPixels(699, 160, 503, 92));
    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setObjectName(QStringLiteral("cb_1"));
    m_ok->setGeometry(units::toPixels(1353, 160, 457, 92));
    m_password = named<QLineEdit>(this, "sle_2");
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setGeometry(units::toPixels(699, 372, 498, 92));
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("cb_2"));
    m_cancel->setGeometry(units::toPixels(1349, 364, 457, 92));
    setTabOrder(m_code, m_ok);
    setTabOrder(m_ok, m_password);
    setTabOrder(m_password, m_cancel);

    connect(m_code, &QLineEdit::textEdited, this, [this] { m_codeEdited = true; });
    connect(m_code, &QLineEdit::editingFinished, this, &LoginWindow::commitCode);
    connect(m_password, &QLineEdit::textEdited, this, [this] { m_passwordEdited = true; });
    connect(m_password, &QLineEdit::editingFinished, this, [this] {
        if (!m_passwordEdited)
            return;
        m_passwordEdited = false;
        loginAttempt();
    });
    connect(m_ok, &QPushButton::clicked, this, &LoginWindow::loginAttempt);
    connect(m_cancel, &QPushButton::clicked, this, &LoginWindow::cancel);

    uf_centerwindows(this);
    globals().input_cc = 0;
}

void LoginWindow::commitCode()
{
    if (!m_codeEdited)
        return;
    m_codeEdited = false; // before the handler: its message box takes the focus away again
    codeCommitted();
}

// Tab out of an edited code field commits it here, before the focus moves,
// rather than when the field hears that it lost the focus. A window that is
// not active (a screen without a window manager hands out no activation)
// moves its focus without telling the field, so the code would not be looked
// up and the password typed next would land on 确定, where a blank presses it.
// The look-up puts the focus where the next key belongs.
bool LoginWindow::focusNextPrevChild(bool next)
{
    if (focusWidget() == m_code && m_codeEdited) {
        commitCode();
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void LoginWindow::rejectCode()
{
    messagebox(QStringLiteral("错误"), kCodeError, Icon::StopSign);
    ++globals().input_cc;
    m_code->clear();
    m_code->setFocus();
}

// The database did not answer: the code may be right, so it is neither
// counted nor cleared, and committing it again looks it up again.
void LoginWindow::failLookUp()
{
    messagebox(QStringLiteral("错误"), withReason(kLookUpFailed, m_sqlca.SQLErrText), Icon::StopSign);
    m_codeEdited = true;
    m_code->setFocus();
}

void LoginWindow::codeCommitted()
{
    if (m_ended)
        return;
    Globals& g = globals();
    g.bh_str = m_code->text().trimmed();
    if (g.bh_str.isEmpty()) {
        messagebox(QStringLiteral("错误"), kCodeError, Icon::StopSign);
        m_code->setFocus();
        return;
    }
    QVariantList name, password;
    int found = m_sqlca.selectInto(QStringLiteral("SELECT name FROM czr WHERE code = ?"), {g.bh_str}, name);
    if (found == 0)
        found = m_sqlca.selectInto(QStringLiteral("SELECT password FROM czr WHERE code = ?"), {g.bh_str},
                                   password);
    // A rejected code must not leave the previous operator's password behind
    // for the next attempt to be checked against.
    if (found != 0 || name.value(0).isNull() || name.value(0).toString().isEmpty()) {
        g.g_operater.clear();
        g.g_password.clear();
        m_passwordIsNull = true;
        if (found < 0)
            failLookUp();
        else
            rejectCode();
        return;
    }
    g.g_operater = name.value(0).toString();
    g.g_password = password.value(0).toString();
    m_passwordIsNull = password.value(0).isNull();
    m_code->setText(g.g_operater);
    m_password->setFocus();
}

void LoginWindow::loginAttempt()
{
    if (m_ended)
        return;
    Globals& g = globals();
    ++g.input_cc;
    if (m_code->text().isEmpty()) {
        messagebox(QStringLiteral("错误"), kCodeError, Icon::StopSign);
        m_code->setFocus();
        return;
    }
    if (g.input_cc >= 4) {
        m_ended = true;
        messagebox(QStringLiteral("错误 "), kPasswordError, Icon::StopSign);
        close();
        return;
    }
    if (m_passwordIsNull || m_password->text().trimmed() != g.g_password) {
        beep(10);
        beep(10);
        m_password->clear();
        messagebox(QStringLiteral("错误 "), kPasswordError, Icon::StopSign);
        m_password->setFocus();
        return;
    }
    m_ended = true;
    m_openMain(m_sqlca);
    close();
}

void LoginWindow::cancel()
{
    if (m_ended)
        return;
    m_ended = true;
    m_sqlca.disconnect();
    close();
}

void LoginWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget* openLoginWindow(Transaction& transaction)
{
    auto* w = new LoginWindow(transaction);
    w->show();
    return w;
}

} // namespace qv
