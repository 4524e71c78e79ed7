#pragma once

#include <QList>
#include <QString>

#include <memory>

namespace qv {

enum class FileDialogMode { Save, Open };

struct FileDialogRequest
{
    FileDialogMode mode = FileDialogMode::Open;
    QString title;
    QString path;   // the proposed file (Save) or the folder to start in (Open)
    QString filter; // "账本备份 (*.db);;所有文件 (*)"
    QString answer; // what came back; empty when cancelled
    // Save: the dialog asks before an existing file is chosen. Off for callers
    // that refuse existing files themselves and would only contradict it.
    bool askBeforeReplacing = true;
};

// Every file dialog of the program goes through here, as every message box
// goes through the message-box service: the real form shows a QFileDialog,
// tests queue the files a person would have chosen.
class FileDialogService
{
public:
    virtual ~FileDialogService() = default;
    // The chosen file's absolute path, or empty when cancelled.
    virtual QString choose(const FileDialogRequest& request) = 0;

    static FileDialogService& current();
    // Takes ownership; nullptr restores the default, a scripted form that
    // cancels every dialog, so that no caller without a GUI can hang.
    static void install(std::unique_ptr<FileDialogService> service);
};

class ScriptedFileDialogs : public FileDialogService
{
public:
    QString choose(const FileDialogRequest& request) override;

    // The next dialog returns this path; an empty path, or an empty queue,
    // cancels.
    void queueAnswer(const QString& path) { m_answers.append(path); }
    const QList<FileDialogRequest>& shown() const { return m_shown; }

private:
    QList<QString> m_answers;
    QList<FileDialogRequest> m_shown;
};

// Installs a fresh scripted service and returns it (owned by the service slot).
ScriptedFileDialogs& installScriptedFileDialogs();

// A file to write, proposing `proposedPath`; empty when cancelled.
QString saveFileName(const QString& title, const QString& proposedPath, const QString& filter,
                     bool askBeforeReplacing = true);
// An existing file to read, starting in `directory`; empty when cancelled.
QString openFileName(const QString& title, const QString& directory, const QString& filter);

} // namespace qv
