// Plays keys and clicks into the whole program, so that a test can run it as
// a child process and watch how it ends. Linked only into quorvel_keyscript,
// the test build's twin of the program; the shipped program has no such hook.
//
// QUORVEL_KEY_SCRIPT holds steps separated by "|". A step "window>input"
// waits until the active window's object name or (trimmed) title is
// `window`, then plays `input` into it: plain characters are typed into the
// focused control; {Key} presses a key or chord ({Return}, {Escape},
// {Ctrl+X}); {click:name} clicks the button with that object name or text;
// {action:name} runs the menu item of that object name; {focus:name} puts
// the keyboard on the control of that object name, as a click into it would;
// {close} closes the window as its close box does.
//
// A step whose window does not come within half a minute ends the program
// with status 3 and says where it stuck, rather than leaving the test waiting.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QKeySequence>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct Step
{
    QString window;
    QString input;
};

bool matches(const QWidget* w, const QString& name)
{
    return w && w->isVisible() && (w->objectName() == name || w->windowTitle().trimmed() == name);
}

// The window the operator would be typing into, once it is active. A step
// may name a window other than the one that has the keyboard (the operator
// would click it first), so a visible window of that name is activated here
// when no modal box is up; the input waits for the next look, when the
// activation is done.
QWidget* findWindow(const QString& name)
{
    QWidget* found = nullptr;
    if (QWidget* modal = QApplication::activeModalWidget()) {
        found = matches(modal, name) ? modal : nullptr;
    } else {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto it =
            std::find_if(windows.begin(), windows.end(), [&](QWidget* w) { return matches(w, name); });
        found = it != windows.end() ? *it : nullptr;
        if (matches(QApplication::activeWindow(), name))
            found = QApplication::activeWindow();
    }
    if (found && QApplication::activeWindow() != found) {
        found->activateWindow();
        return nullptr;
    }
    return found;
}

// Keys go where the operator's would: to an open menu, else to the focused
// control of the window.
QWidget* keyTarget(QWidget* window)
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    QWidget* focused = QApplication::focusWidget();
    return focused && focused->window() == window ? focused : window;
}

void play(QWidget* window, const QString& input)
{
    static const QRegularExpression token(QStringLiteral(R"(\{([^}]+)\}|([^{]+))"));
    for (auto it = token.globalMatch(input); it.hasNext();) {
        const auto m = it.next();
        if (m.capturedLength(2) > 0) {
            QTest::keyClicks(keyTarget(window), m.captured(2));
            continue;
        }
        const QString command = m.captured(1);
        if (command == QLatin1String("close")) {
            window->close();
        } else if (command.startsWith(QLatin1String("action:"))) {
            if (auto* action = window->findChild<QAction*>(command.mid(7)))
                action->trigger();
        } else if (command.startsWith(QLatin1String("focus:"))) {
            if (auto* control = window->findChild<QWidget*>(command.mid(6)))
                control->setFocus(Qt::MouseFocusReason);
        } else if (command.startsWith(QLatin1String("click:"))) {
            const QString name = command.mid(6);
            for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
                if (b->isVisible() && (b->objectName() == name || b->text() == name)) {
                    // A button the screen cuts off (the offscreen screen is
                    // small) is pressed as the keyboard would press it.
                    if (b->visibleRegion().contains(b->rect().center()))
                        QTest::mouseClick(b, Qt::LeftButton);
                    else
                        b->click();
                    break;
                }
            }
        } else {
            const QKeyCombination chord = QKeySequence::fromString(command)[0];
            QTest::keyClick(keyTarget(window), chord.key(), chord.keyboardModifiers());
        }
    }
}

struct Script
{
    QList<Step> steps;
    QDeadlineTimer deadline{30000};
};

// One single-shot timer per look: a timer does not fire again while its own
// handler runs, and a step's input may open a modal box that the next step
// answers from inside that box's loop.
void lookAgain(Script* script);

void look(Script* script)
{
    if (script->steps.isEmpty())
        return;
    QWidget* window = findWindow(script->steps.first().window);
    if (!window) {
        if (script->deadline.hasExpired()) {
            const QWidget* active = QApplication::activeWindow();
            std::fprintf(stderr, "key script: no window \"%s\" came (active: \"%s\")\n",
                         qPrintable(script->steps.first().window),
                         active ? qPrintable(active->windowTitle()) : "none");
            std::fflush(stderr);
            std::_Exit(3); // no clean-up: the program is stuck somewhere
        }
        lookAgain(script);
        return;
    }
    const Step step = script->steps.takeFirst();
    script->deadline = QDeadlineTimer(30000);
    lookAgain(script);
    play(window, step.input);
}

void lookAgain(Script* script)
{
    QTimer::singleShot(50, QCoreApplication::instance(), [script] { look(script); });
}

void startKeyScript()
{
    const QString text = qEnvironmentVariable("QUORVEL_KEY_SCRIPT");
    if (text.isEmpty() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    static Script script;
    for (const QString& part : text.split(QLatin1Char('|'))) {
        const qsizetype at = part.indexOf(QLatin1Char('>'));
        script.steps.append({part.left(at).trimmed(), part.mid(at + 1)});
    }
    lookAgain(&script);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startKeyScript)
