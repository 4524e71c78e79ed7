#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace qv {

enum class Icon { Information, StopSign, Exclamation, Question, None };
enum class Buttons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

struct ShownMessage
{
    QString title;
    QString text;
    Icon icon = Icon::Information;
    Buttons buttons = Buttons::OK;
    int defaultButton = 1;
    int answer = 1;
};

// Every modal box of the program goes through here. The real form shows a
// QMessageBox; tests install the scripted form, queue answers and read back
// what was shown, so no test ever blocks on a dialog.
class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;
    // Returns the pressed button, 1 being the first (OK or Yes).
    virtual int show(const ShownMessage& message) = 0;

    static MessageBoxService& current();
    // Takes ownership; passing nullptr restores the default (scripted until a
    // GUI form is installed, so that a non-GUI caller can never hang).
    static void install(std::unique_ptr<MessageBoxService> service);
};

class ScriptedMessageBoxes : public MessageBoxService
{
public:
    int show(const ShownMessage& message) override;

    // The next box answers this button; an empty queue answers the box's
    // default button.
    void queueAnswer(int button) { m_answers.append(button); }
    // Called while a box is "open", for tests that act in the middle of a
    // handler (for example checking what the window holds at that moment).
    void setOnShow(std::function<void(const ShownMessage&)> hook) { m_onShow = std::move(hook); }
    const QList<ShownMessage>& shown() const { return m_shown; }
    QStringList texts() const;
    void clear()
    {
        m_shown.clear();
        m_answers.clear();
    }

private:
    QList<int> m_answers;
    QList<ShownMessage> m_shown;
    std::function<void(const ShownMessage&)> m_onShow;
};

// Installs a fresh scripted service and returns it (owned by the service slot).
ScriptedMessageBoxes& installScriptedMessageBoxes();

int messagebox(const QString& title, const QString& text, Icon icon = Icon::Information,
               Buttons buttons = Buttons::OK, int defaultButton = 1);

// A failure as the operator reads it: the window's fixed text first, the
// database's own reason on the line below (nothing added when it has none),
// in Chinese where its cause is a common one (explainReason).
QString withReason(const QString& fixedText, const QString& reason);

// The question an editable window asks before its pending changes would be
// dropped ("数据未保存！是否存盘?", Yes / No / Cancel). Returns true when the
// window may go on: nothing was pending, `save` succeeded after Yes (it shows
// its own messages), or the operator answered No. False keeps the window.
bool confirmUnsavedChanges(bool hasChanges, const std::function<bool()>& save,
                           const QString& title = QStringLiteral("退出"));

// The alert sound. Tests count calls instead of hearing them.
void beep(int count);
int beepCount();
void resetBeepCount();
void setBeepSink(std::function<void()> sink);

} // namespace qv
