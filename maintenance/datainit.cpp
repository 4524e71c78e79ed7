#include "datainit.h"

#include "data/contactpicker.h"
#include "data/ledgerschema.h"
#include "platform/core/globals.h"
#include "platform/core/messagebox.h"
#include "platform/core/profile.h"
#include "platform/database/ledgerbackup.h"
#include "platform/database/transaction.h"

#include <QDir>
#include <QMdiSubWindow>
#include <QWidget>

namespace qv {

namespace {

const QString kSection = QStringLiteral("other");
const QString kFlag = QStringLiteral("csh");
const QString kNote = QStringLiteral("提示");
const QString kFlagFailed = QStringLiteral("初始化标志设置失败！");

LedgerBackup& backupStep()
{
    static LedgerBackup step = backupBeforeInitialising;
    return step;
}

// The tables in the order they are emptied, each with the words that name it
// when its delete is refused.
struct EmptiedTable
{
    const char* sql;
    const char* failure;
    int since; // the ledger version that added the table
};
const EmptiedTable kTables[] = {
    {"DELETE FROM rqwlb", "主数据表初始化失败！", 1},
    // The books are made of the gifts: they go with them.
    {"DELETE FROM lbmx", "礼簿表初始化失败！", 3},
    {"DELETE FROM lbb", "礼簿表初始化失败！", 3},
    {"DELETE FROM tjb_save", "数据统计表初始化失败！", 1},
    {"DELETE FROM wlryb", "人员数据表初始化失败！", 1},
    // What the imports wrote goes with the records: an undo must not find
    // records of an import that are gone.
    {"DELETE FROM drmx", "导入记录表初始化失败！", 2},
    {"DELETE FROM drjl", "导入记录表初始化失败！", 2},
};

// An older ledger over ODBC is not upgraded: it lacks the later tables.
int ledgerVersion(Transaction& sqlca)
{
    QString ignored;
    return LedgerSchema::version(sqlca, ignored).value_or(1);
}

// Writes the flag, keeping every other line of the profile. The reason for a
// failure goes under the fixed text, as for the database's refusals.
bool writeFlag(const QString& value)
{
    ProfileFile profile(initialisationProfilePath());
    const ProfileFile::Status status = profile.load();
    if (status == ProfileFile::Status::Ok || status == ProfileFile::Status::Missing) {
        profile.setValue(kSection, kFlag, value);
        if (profile.save())
            return true;
    }
    messagebox(kNote, withReason(kFlagFailed, profile.errorString()), Icon::StopSign);
    return false;
}

// False when the operator kept a sheet open (it asked about unsaved changes
// and was told to stay).
bool closeSheetsShowingEmptiedTables(QWidget* frame)
{
    if (!frame)
        return true;
    const QStringList names = sheetsShowingEmptiedTables();
    for (QMdiSubWindow* sheet : frame->findChildren<QMdiSubWindow*>()) {
        if (!sheet->widget() || !names.contains(sheet->widget()->objectName()) || sheet->isHidden())
            continue;
        if (!sheet->close())
            return false;
    }
    return true;
}

// The deletes as one unit of work: all of them, or none.
bool emptyTables(Transaction& sqlca)
{
    const int version = ledgerVersion(sqlca);
    for (const EmptiedTable& table : kTables) {
        if (table.since > version)
            continue;
        // Some drivers answer a delete that finds no row with 100; that is a
        // refusal too, and the run stops before anything is kept.
        if (sqlca.execute(QString::fromLatin1(table.sql)) != 0 || sqlca.SQLCode != 0) {
            const QString reason = sqlca.SQLErrText;
            sqlca.rollback();
            messagebox(kNote, withReason(QString::fromUtf8(table.failure), reason), Icon::StopSign);
            return false;
        }
    }
    if (!sqlca.commit()) {
        const QString reason = sqlca.SQLErrText;
        sqlca.rollback();
        messagebox(kNote, withReason(QStringLiteral("数据初始化失败！"), reason), Icon::StopSign);
        return false;
    }
    contactsChanged();
    return true;
}

} // namespace

void setLedgerBackup(LedgerBackup backup)
{
    backupStep() = std::move(backup);
}

bool backupBeforeInitialising(Transaction& sqlca, QWidget*, QString& note)
{
    if (sqlca.dialect().dbms() != Dbms::SQLite)
        return true;
    const BackupResult copy = backupBesideLedger(sqlca);
    if (!copy.ok) {
        messagebox(kNote, withReason(QStringLiteral("初始化前备份账本失败，没有初始化。"), copy.error),
                   Icon::StopSign);
        return false;
    }
    note = QStringLiteral("初始化前的账本已备份为 %1 ，可用“恢复账本”找回。")
               .arg(QDir::toNativeSeparators(copy.file));
    return true;
}

QString initialisationProfilePath()
{
    return QDir(globals().ls_dir).filePath(QStringLiteral("pb.ini"));
}

QStringList sheetsShowingEmptiedTables()
{
    return {QStringLiteral("w_wlrywh"), QStringLiteral("w_jlk_wh"), QStringLiteral("w_lsk_wh"),
            QStringLiteral("w_ldpy"),   QStringLiteral("w_sgsh"),   QStringLiteral("w_lwcx"),
            QStringLiteral("w_dbcl"),   QStringLiteral("w_wjfx"),   QStringLiteral("w_fwcx"),
            QStringLiteral("w_gwgd"),   QStringLiteral("w_wjgd"),   QStringLiteral("w_tjfx"),
            QStringLiteral("w_wlye"),   QStringLiteral("w_lbdj")};
}

void initialiseData(Transaction& sqlca, QWidget* frame)
{
    if (messagebox(QStringLiteral("初始化"), QStringLiteral("只能在程序正式使用前初始化，您确认初始化吗？"),
                   Icon::Question, Buttons::OKCancel, 2) != 1)
        return;

    const QString flag = profilestring(initialisationProfilePath(), kSection, kFlag, QString());
    if (flag != u"0") {
        if (messagebox(QStringLiteral("警告"),
                       QStringLiteral("您已经初始化一次了，如果确实需要重新初始化，请确定！"), Icon::StopSign,
                       Buttons::OKCancel, 2) != 1)
            return;
        if (writeFlag(QStringLiteral("0")))
            messagebox(kNote, QStringLiteral("请重新执行数据初始化！"), Icon::Information);
        return;
    }

    if (!closeSheetsShowingEmptiedTables(frame))
        return;
    QString backupNote;
    if (const LedgerBackup& backup = backupStep(); backup && !backup(sqlca, frame, backupNote))
        return;
    if (!emptyTables(sqlca))
        return;
    messagebox(kNote, withReason(QStringLiteral("数据初始化成功！"), backupNote), Icon::Information);
    // The data stay deleted even when the flag cannot be written; the next
    // run then empties the (already empty) tables again without the warning.
    writeFlag(QStringLiteral("1"));
}

} // namespace qv
