#include "filedialog.h"

namespace qv {

namespace {
std::unique_ptr<FileDialogService>& slot()
{
    static std::unique_ptr<FileDialogService> service = std::make_unique<ScriptedFileDialogs>();
    return service;
}
} // namespace

FileDialogService& FileDialogService::current()
{
    return *slot();
}

void FileDialogService::install(std::unique_ptr<FileDialogService> service)
{
    slot() = service ? std::move(service) : std::make_unique<ScriptedFileDialogs>();
}

QString ScriptedFileDialogs::choose(const FileDialogRequest& request)
{
    FileDialogRequest shown = request;
    shown.answer = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
    m_shown.append(shown);
    return shown.answer;
}

ScriptedFileDialogs& installScriptedFileDialogs()
{
    auto scripted = std::make_unique<ScriptedFileDialogs>();
    auto& ref = *scripted;
    FileDialogService::install(std::move(scripted));
    return ref;
}

QString saveFileName(const QString& title, const QString& proposedPath, const QString& filter,
                     bool askBeforeReplacing)
{
    return FileDialogService::current().choose(
        {FileDialogMode::Save, title, proposedPath, filter, {}, askBeforeReplacing});
}

QString openFileName(const QString& title, const QString& directory, const QString& filter)
{
    return FileDialogService::current().choose({FileDialogMode::Open, title, directory, filter, {}});
}

} // namespace qv
