#include "ledgermenu.h"

#include "sheets.h"

#include "data/ledgerfile.h"
#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/database/dialect.h"
#include "platform/database/ledgerbackup.h"
#include "platform/database/transaction.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace qv {

namespace {

const QString kFilter = QStringLiteral("账本备份 (*.db);;所有文件 (*)");

// The ledger's file, or a note saying why this database is backed up and
// restored elsewhere.
QString ledgerFileOrExplain(const Transaction& transaction, const QString& action)
{
    const QString ledger = sqliteLedgerPath(transaction);
    if (!ledger.isEmpty())
        return ledger;
    QString text;
    if (Dialect::parseDbms(transaction.DBMS) == Dbms::PostgreSQL)
        text =
            QStringLiteral("账本在 PostgreSQL 服务器上，请在服务器上用 pg_dump 备份、用 pg_restore 恢复。");
    else
        text = QStringLiteral("账本不是 SQLite 文件，请用该数据库自己的工具%1。").arg(action);
    messagebox(QStringLiteral("提示"), text, Icon::Information);
    return {};
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

void backupLedgerCommand(Transaction& transaction, QWidget*)
{
    const QString ledger = ledgerFileOrExplain(transaction, QStringLiteral("备份"));
    if (ledger.isEmpty())
        return;
    const QString proposed = timestampedBackupPath(ledger, QDateTime::currentDateTime());
    // An existing file is refused below with its own message; the dialog's
    // "replace it?" would only promise what the backup will not do.
    const QString file = saveFileName(QStringLiteral("备份账本"), proposed, kFilter, false);
    if (file.isEmpty())
        return;
    const BackupResult result = backupSqliteDatabase(ledger, file);
    if (!result.ok) {
        messagebox(QStringLiteral("错误"),
                   withReason(QStringLiteral("备份失败，没有写入备份文件。"), result.error), Icon::StopSign);
        return;
    }
    messagebox(QStringLiteral("提示"),
               QStringLiteral("账本已备份到 %1（%2）。").arg(native(result.file), fileSizeText(result.bytes)),
               Icon::Information);
}

bool closeLedgerWindows(QWidget* frame)
{
    if (auto* area = frame ? frame->findChild<QMdiArea*>() : nullptr) {
        for (QMdiSubWindow* sheet : area->subWindowList())
            if (!sheet->close())
                return false;
    }
    // Task windows that live beside the frame (the operators window) read and
    // write through the same connection.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const QPointer<QWidget> window = w;
        if (window == frame || !window->isVisible() || !windowFactory(window->objectName()))
            continue;
        if (!window->close())
            return false;
    }
    return true;
}

void restoreLedgerCommand(Transaction& transaction, QWidget* frame)
{
    const QString ledger = ledgerFileOrExplain(transaction, QStringLiteral("恢复"));
    if (ledger.isEmpty())
        return;
    const QString backup =
        openFileName(QStringLiteral("恢复账本"), QFileInfo(ledger).absolutePath(), kFilter);
    if (backup.isEmpty())
        return;
    const QString refused = QStringLiteral("没有恢复，当前账本没有改动。");
    if (QFileInfo(backup).absoluteFilePath() == QFileInfo(ledger).absoluteFilePath()) {
        messagebox(QStringLiteral("错误"), withReason(refused, QStringLiteral("所选文件就是当前账本。")),
                   Icon::StopSign);
        return;
    }
    if (auto reason = checkLedgerFile(backup)) {
        messagebox(QStringLiteral("错误"),
                   withReason(QStringLiteral("%1 不是本程序的账本，").arg(native(backup)) + refused, *reason),
                   Icon::StopSign);
        return;
    }
    const QString keepAs = timestampedBackupPath(ledger, QDateTime::currentDateTime());
    const QString question =
        QStringLiteral("恢复将用备份替换当前账本，当前账本先另存为 %1 。是否继续？").arg(native(keepAs));
    if (messagebox(QStringLiteral("恢复账本"), question, Icon::Question, Buttons::YesNo, 2) != 1)
        return;
    if (!closeLedgerWindows(frame))
        return;

    const RestoreResult result = restoreLedger(transaction, backup, keepAs);
    if (!result.ok) {
        messagebox(QStringLiteral("错误"), withReason(refused, result.error), Icon::StopSign);
        return;
    }
    if (!result.connected) {
        messagebox(
            QStringLiteral("错误"),
            withReason(
                QStringLiteral("账本已从备份恢复，原来的账本保存在 %1，但不能重新连接。").arg(native(keepAs)),
                result.error),
            Icon::StopSign);
        return;
    }
    messagebox(QStringLiteral("提示"),
               QStringLiteral("已从 %1 恢复账本。原来的账本保存在 %2。").arg(native(backup), native(keepAs)),
               Icon::Information);
}

void registerLedgerCommands()
{
    registerCommand(QStringLiteral("backup"), &backupLedgerCommand);
    registerCommand(QStringLiteral("restore"), &restoreLedgerCommand);
}

} // namespace qv
