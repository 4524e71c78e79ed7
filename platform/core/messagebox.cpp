#include "messagebox.h"

#include "reasons.h"

namespace qv {

namespace {
std::unique_ptr<MessageBoxService>& slot()
{
    static std::unique_ptr<MessageBoxService> service = std::make_unique<ScriptedMessageBoxes>();
    return service;
}
int g_beeps = 0;
std::function<void()> g_beepSink;
} // namespace

MessageBoxService& MessageBoxService::current()
{
    return *slot();
}

void MessageBoxService::install(std::unique_ptr<MessageBoxService> service)
{
    slot() = service ? std::move(service) : std::make_unique<ScriptedMessageBoxes>();
}

int ScriptedMessageBoxes::show(const ShownMessage& message)
{
    ShownMessage m = message;
    m.answer = m_answers.isEmpty() ? message.defaultButton : m_answers.takeFirst();
    m_shown.append(m);
    if (m_onShow)
        m_onShow(m);
    return m.answer;
}

QStringList ScriptedMessageBoxes::texts() const
{
    QStringList out;
    for (const auto& m : m_shown)
        out << m.text;
    return out;
}

ScriptedMessageBoxes& installScriptedMessageBoxes()
{
    auto scripted = std::make_unique<ScriptedMessageBoxes>();
    auto& ref = *scripted;
    MessageBoxService::install(std::move(scripted));
    return ref;
}

int messagebox(const QString& title, const QString& text, Icon icon, Buttons buttons, int defaultButton)
{
    return MessageBoxService::current().show({title, text, icon, buttons, defaultButton, defaultButton});
}

void beep(int count)
{
    for (int i = 0; i < count; ++i) {
        ++g_beeps;
        if (g_beepSink)
            g_beepSink();
    }
}

int beepCount()
{
    return g_beeps;
}
void resetBeepCount()
{
    g_beeps = 0;
}
void setBeepSink(std::function<void()> sink)
{
    g_beepSink = std::move(sink);
}

QString withReason(const QString& fixedText, const QString& reason)
{
    const QString why = explainReason(reason).trimmed();
    return why.isEmpty() ? fixedText : fixedText + QLatin1Char('\n') + why;
}

bool confirmUnsavedChanges(bool hasChanges, const std::function<bool()>& save, const QString& title)
{
    if (!hasChanges)
        return true;
    switch (
        messagebox(title, QStringLiteral("数据未保存！是否存盘?"), Icon::Question, Buttons::YesNoCancel, 1)) {
    case 1:
        return save();
    case 2:
        return true;
    default:
        return false;
    }
}

} // namespace qv
