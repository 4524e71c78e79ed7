#include "support/testledger.h"

#include "app/loginwindow.h"
#include "platform/core/globals.h"
#include "platform/core/messagebox.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <functional>

using namespace qv;

namespace {

const QString kCodeError = QStringLiteral("用户工号输入错误!");
const QString kPasswordError = QStringLiteral("密码错，您没有权利使用本系统 !");

// Typed quickly into the window as the window system delivers it: each key
// goes to whichever control has the focus when the key arrives, so a focus
// move that a key sets off decides where the next key lands.
void typeFast(QWindow* window, const QString& keys)
{
    for (const QChar c : keys)
        QTest::keyClick(window, c.toLatin1());
}

class Login : public qv::test::LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        boxes = &installScriptedMessageBoxes();
        resetBeepCount();
        window = new LoginWindow(sqlca());
        window->setMainOpener([this](Transaction&) -> QWidget* {
            ++mainOpened;
            return nullptr;
        });
        window->show();
        code = window->findChild<QLineEdit*>(QStringLiteral("sle_1"));
        password = window->findChild<QLineEdit*>(QStringLiteral("sle_2"));
        ok = window->findChild<QPushButton*>(QStringLiteral("cb_1"));
        cancel = window->findChild<QPushButton*>(QStringLiteral("cb_2"));
        ASSERT_TRUE(code && password && ok && cancel);
    }
    void TearDown() override
    {
        delete window.data();
        LedgerTest::TearDown();
    }

    // Typed by the operator and committed with Enter.
    void enterCode(const QString& text)
    {
        code->selectAll();
        QTest::keyClicks(code, text);
        QTest::keyClick(code, Qt::Key_Return);
    }
    // The password put in without committing it, then 确定.
    void pressOk(const QString& typed)
    {
        password->setText(typed);
        ok->click();
    }
    bool closed() const { return !window || window->isHidden(); }
    QStringList titles() const
    {
        QStringList t;
        for (const ShownMessage& m : boxes->shown())
            t << m.title;
        return t;
    }

    ScriptedMessageBoxes* boxes = nullptr;
    QPointer<LoginWindow> window;
    QLineEdit* code = nullptr;
    QLineEdit* password = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    int mainOpened = 0;
};

} // namespace

TEST_P(Login, ACodeWithBlanksShowsTheNameAndTheBlankedPasswordOpensTheFrame)
{
    enterCode(QStringLiteral("  7063 "));
    EXPECT_TRUE(boxes->shown().isEmpty());
    EXPECT_EQ(code->text(), QStringLiteral("管理员"));
    EXPECT_EQ(globals().bh_str, QStringLiteral("7063"));
    EXPECT_EQ(globals().g_operater, QStringLiteral("管理员"));
    pressOk(QStringLiteral(" 7063  "));
    EXPECT_TRUE(boxes->shown().isEmpty());
    EXPECT_EQ(mainOpened, 1);
    EXPECT_TRUE(closed());
    EXPECT_TRUE(sqlca().isConnected()) << "the frame works on the same connection";
}

TEST_P(Login, ThreeWrongPasswordsLeaveTheWindowOpenAndTheFourthAttemptEndsEvenWhenRight)
{
    enterCode(QStringLiteral("7063"));
    for (int attempt = 1; attempt <= 3; ++attempt) {
        pressOk(QStringLiteral("nope"));
        EXPECT_FALSE(closed()) << attempt;
        EXPECT_TRUE(password->text().isEmpty());
        EXPECT_EQ(beepCount(), 20 * attempt) << "two runs of ten beeps per wrong password";
    }
    EXPECT_EQ(boxes->texts(), QStringList(3, kPasswordError));
    EXPECT_EQ(titles(), QStringList(3, QStringLiteral("错误 ")));
    EXPECT_EQ(boxes->shown()[0].icon, Icon::StopSign);

    pressOk(QStringLiteral("7063"));
    EXPECT_TRUE(closed());
    EXPECT_EQ(mainOpened, 0);
    EXPECT_EQ(boxes->texts(), QStringList(4, kPasswordError));
    EXPECT_EQ(beepCount(), 60) << "the refusal does not beep";
    EXPECT_TRUE(sqlca().isConnected()) << "a refused login does not disconnect first";
}

TEST_P(Login, RejectedCodesCountSoTheSecondAttemptAfterTwoOfThemEnds)
{
    enterCode(QStringLiteral("9999"));
    EXPECT_TRUE(code->text().isEmpty());
    enterCode(QStringLiteral("0000"));
    EXPECT_EQ(boxes->texts(), QStringList(2, kCodeError));
    EXPECT_EQ(titles(), QStringList(2, QStringLiteral("错误")));
    EXPECT_EQ(globals().input_cc, 2);

    enterCode(QStringLiteral("7063"));
    pressOk(QStringLiteral("wrong"));
    EXPECT_FALSE(closed());
    pressOk(QStringLiteral("7063"));
    EXPECT_TRUE(closed());
    EXPECT_EQ(mainOpened, 0);
}

TEST_P(Login, APasswordCommittedWithEnterIsOneAttemptAndOkAnother)
{
    enterCode(QStringLiteral("7063"));
    QTest::keyClicks(password, QStringLiteral("bad"));
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_EQ(globals().input_cc, 1);
    EXPECT_EQ(boxes->texts(), QStringList{kPasswordError});
    ok->click();
    EXPECT_EQ(globals().input_cc, 2);
    EXPECT_EQ(boxes->texts(), QStringList(2, kPasswordError));

    // Enter again on a field that was not edited since is no new attempt.
    QTest::keyClick(password, Qt::Key_Return);
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(globals().input_cc, 2);
    EXPECT_EQ(boxes->shown().size(), 2);
}

TEST_P(Login, LeavingTheCodeFieldCommitsItOnceAndOnlyAfterAnEdit)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    code->setFocus();
    QTest::keyClicks(code, QStringLiteral("9999"));
    ok->setFocus(); // Tab or a click elsewhere
    EXPECT_EQ(boxes->texts(), QStringList{kCodeError});
    EXPECT_EQ(globals().input_cc, 1);
    code->setFocus();
    ok->setFocus();
    EXPECT_EQ(boxes->shown().size(), 1) << "an unchanged field is not looked up again";
    EXPECT_EQ(globals().input_cc, 1);
}

TEST_P(Login, AStoredPasswordWithTrailingBlanksNeverMatches)
{
    ledger().exec(QStringLiteral("UPDATE czr SET password = ? WHERE code = ?"),
                  {QStringLiteral("7063  "), QStringLiteral("7063")});
    enterCode(QStringLiteral("7063"));
    pressOk(QStringLiteral("7063"));
    pressOk(QStringLiteral("7063  "));
    EXPECT_EQ(boxes->texts(), QStringList(2, kPasswordError));
    EXPECT_EQ(mainOpened, 0);
    EXPECT_FALSE(closed());
}

TEST_P(Login, AnUnknownCodeAfterAKnownOneIsRejectedAndForgetsTheOperator)
{
    enterCode(QStringLiteral("7063"));
    enterCode(QStringLiteral("9999"));
    EXPECT_EQ(boxes->texts(), QStringList{kCodeError});
    EXPECT_TRUE(code->text().isEmpty());
    EXPECT_TRUE(globals().g_password.isEmpty());
    // 确定 now finds no code, counts, and does not examine the password.
    pressOk(QStringLiteral("7063"));
    EXPECT_EQ(boxes->texts(), QStringList(2, kCodeError));
    EXPECT_EQ(mainOpened, 0);
    EXPECT_EQ(globals().input_cc, 2);

    // A blank code is refused without counting.
    enterCode(QStringLiteral("   "));
    EXPECT_EQ(boxes->texts(), QStringList(3, kCodeError));
    EXPECT_EQ(globals().input_cc, 2);
}

TEST_P(Login, AnOperatorWithoutNameOrPasswordCannotLogIn)
{
    ledger().exec(QStringLiteral("INSERT INTO czr (code, name, password) VALUES (?, ?, ?)"),
                  {QStringLiteral("0001"), QVariant(), QStringLiteral("1")});
    ledger().exec(QStringLiteral("INSERT INTO czr (code, name, password) VALUES (?, ?, ?)"),
                  {QStringLiteral("0002"), QStringLiteral("张三"), QVariant()});
    enterCode(QStringLiteral("0001"));
    EXPECT_EQ(boxes->texts(), QStringList{kCodeError});
    enterCode(QStringLiteral("0002"));
    EXPECT_EQ(code->text(), QStringLiteral("张三"));
    pressOk(QString());
    EXPECT_EQ(boxes->texts(), (QStringList{kCodeError, kPasswordError}));
    EXPECT_EQ(mainOpened, 0);
}

TEST_P(Login, EscapeOnAButtonAndCancelDisconnectAndClose)
{
    enterCode(QStringLiteral("7063"));
    QTest::keyClick(ok, Qt::Key_Escape);
    EXPECT_TRUE(closed());
    EXPECT_FALSE(sqlca().isConnected());
    EXPECT_EQ(mainOpened, 0);

    ledger().configure(sqlca());
    ASSERT_TRUE(sqlca().connect());
    LoginWindow second(sqlca());
    second.setMainOpener([this](Transaction&) -> QWidget* {
        ++mainOpened;
        return nullptr;
    });
    second.setAttribute(Qt::WA_DeleteOnClose, false);
    second.show();
    second.findChild<QPushButton*>(QStringLiteral("cb_2"))->click();
    EXPECT_TRUE(second.isHidden());
    EXPECT_FALSE(sqlca().isConnected());
    EXPECT_TRUE(boxes->shown().isEmpty());
}

TEST_P(Login, ADatabaseErrorInTheLookUpIsShownAsSuchAndNotCounted)
{
    struct Case
    {
        const char* failure;
        std::function<void()> breakIt;
        std::function<void()> mendIt;
        QString reason;
    };
    const QString away = QStringLiteral("ALTER TABLE czr RENAME TO czr_away");
    const QString back = QStringLiteral("ALTER TABLE czr_away RENAME TO czr");
    const Case cases[] = {
        {"the table is gone", [&] { ledger().exec(away); }, [&] { ledger().exec(back); },
         QStringLiteral("czr")},
        {"the connection is lost", [&] { sqlca().disconnect(); },
         [&] {
             ledger().configure(sqlca());
             ASSERT_TRUE(sqlca().connect());
         },
         QStringLiteral("数据库没有连接")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        boxes->clear();
        globals().input_cc = 0;
        c.breakIt();
        enterCode(QStringLiteral("7063"));
        ASSERT_EQ(boxes->shown().size(), 1);
        const ShownMessage& shown = boxes->shown()[0];
        EXPECT_EQ(shown.title, QStringLiteral("错误"));
        EXPECT_EQ(shown.icon, Icon::StopSign);
        const QStringList lines = shown.text.split(QLatin1Char('\n'));
        ASSERT_GE(lines.size(), 2) << shown.text.toStdString();
        EXPECT_EQ(lines[0], QStringLiteral("查找操作员时数据库出错，请稍后再试!"));
        EXPECT_TRUE(lines[1].contains(c.reason)) << shown.text.toStdString();
        EXPECT_EQ(globals().input_cc, 0) << "not a wrong code";
        EXPECT_EQ(code->text(), QStringLiteral("7063")) << "the typed code stays";

        // Once the database answers, committing the same code finds the operator.
        c.mendIt();
        QTest::keyClick(code, Qt::Key_Return);
        EXPECT_EQ(boxes->shown().size(), 1);
        EXPECT_EQ(code->text(), QStringLiteral("管理员"));
        code->setText(QStringLiteral("7063"));
    }
}

TEST_P(Login, AClickOnOkAfterTypingThePasswordLogsInOnce)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    code->setFocus();
    enterCode(QStringLiteral("7063"));
    ASSERT_TRUE(password->hasFocus());
    QTest::keyClicks(password, QStringLiteral("7063"));
    // The press takes the focus from the password, which commits it and logs
    // in; the click that follows must find the login over.
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(mainOpened, 1);
    EXPECT_EQ(globals().input_cc, 1);
    EXPECT_TRUE(boxes->shown().isEmpty());
    EXPECT_TRUE(closed());
}

TEST_P(Login, CodeThenPasswordTypedInOneGoLogsIn)
{
    struct Case
    {
        const char* what;
        const char* keys;
        bool active; // false: another window has the activation, as on a screen without a window manager
    };
    const Case cases[] = {
        {"Tab after the code", "7063\t7063\r", true},
        {"Enter after the code", "7063\r7063\r", true},
        {"Tab after the code, window not active", "7063\t7063\r", false},
        {"Enter after the code, window not active", "7063\r7063\r", false},
        // A blank typed after Tab must go into the password, where it is
        // trimmed away, and not press 确定.
        {"a blank after Tab", "7063\t 7063\r", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mainOpened = 0;
        globals().input_cc = 0;
        LoginWindow login(sqlca());
        login.setAttribute(Qt::WA_DeleteOnClose, false);
        login.setMainOpener([this](Transaction&) -> QWidget* {
            ++mainOpened;
            return nullptr;
        });
        login.show();
        QWidget other;
        if (c.active) {
            login.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&login));
            ASSERT_TRUE(login.findChild<QLineEdit*>(QStringLiteral("sle_1"))->hasFocus());
        } else {
            other.show();
            other.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
            ASSERT_FALSE(login.isActiveWindow());
        }
        typeFast(login.windowHandle(), QString::fromLatin1(c.keys));
        EXPECT_TRUE(boxes->shown().isEmpty()) << boxes->texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(mainOpened, 1);
        EXPECT_EQ(globals().input_cc, 1) << "one attempt, no press of 确定 besides";
        EXPECT_TRUE(login.isHidden());
    }
}

TEST_P(Login, KeysTypedAfterARejectedCodeStayOutOfThePassword)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    typeFast(window->windowHandle(), QStringLiteral("9999\t7063"));
    EXPECT_EQ(boxes->texts(), QStringList{kCodeError});
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_EQ(globals().input_cc, 1) << "the rejected code, and no press of 确定";
    EXPECT_EQ(mainOpened, 0);
}

QV_LEDGER_TEST_SUITE(Login);
