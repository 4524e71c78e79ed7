#include "platform/widgets/activation.h"
#include "platform/widgets/qtmessagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

using namespace qv;

namespace {

// The offscreen screen of the tests activates a window that opens but, like
// a bare X server, hands nothing on when the active window closes.
class Activation : public ::testing::Test
{
protected:
    void SetUp() override { qApp->installEventFilter(&keeper); }
    void TearDown() override { qApp->removeEventFilter(&keeper); }

    static std::unique_ptr<QWidget> window(const char* name)
    {
        auto w = std::make_unique<QWidget>();
        w->setObjectName(QLatin1String(name));
        w->resize(200, 100);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }
    static void use(QWidget* w)
    {
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }

    ActivationKeeper keeper;
};

// Answers the message box that the next call opens, once it has the
// keyboard, as the operator would.
void answerNextBox()
{
    QTimer::singleShot(0, qApp, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        // Not qWaitForWindowActive: a box counts as active with its parent.
        EXPECT_TRUE(QTest::qWaitFor([box] { return QGuiApplication::focusWindow() == box->windowHandle(); }));
        box->buttons().constFirst()->click();
    });
}

} // namespace

TEST_F(Activation, TheWindowUsedLastHasTheKeyboardAgainWhenTheActiveWindowCloses)
{
    struct Case
    {
        const char* what;
        std::function<void(QWidget* frame)> closeActive; // closes the window that has the keyboard
    };
    const Case cases[] = {
        {"a message box answered",
         [](QWidget*) {
             answerNextBox();
             QtMessageBoxService().show({QStringLiteral("退出"), QStringLiteral("确实退出吗?"),
                                         Icon::Question, Buttons::OKCancel, 2});
         }},
        {"a window of its own closed",
         [](QWidget*) {
             auto other = window("other");
             use(other.get());
             other->close();
         }},
        // The window opened last is not the one used last.
        {"a window closed after a later one went unused",
         [](QWidget* frame) {
             auto later = window("later");
             use(frame);
             auto third = window("third");
             use(third.get());
             third->close();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto beside = window("beside");
        auto frame = window("frame");
        use(frame.get());
        use(beside.get());
        use(frame.get());
        c.closeActive(frame.get());
        EXPECT_TRUE(QTest::qWaitFor([&] { return frame->isActiveWindow(); }))
            << "active: "
            << (QApplication::activeWindow() ? qPrintable(QApplication::activeWindow()->objectName())
                                             : "none");
    }
}
