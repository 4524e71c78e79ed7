#include "ledgerfile.h"

#include "ledgerschema.h"
#include "ledgerupgrade.h"

#include "platform/core/messagebox.h"
#include "platform/database/dialect.h"
#include "platform/database/ledgerbackup.h"
#include "platform/database/transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv {

namespace {

// The ledger as the initialisation creates it, read once from its own DDL so
// that the check follows the schema wherever it goes.
const SqliteInspection& expectedLedger()
{
    static const SqliteInspection expected = [] {
        QFile ddl(Dialect(Dbms::SQLite).schemaResource());
        if (!ddl.open(QIODevice::ReadOnly)) {
            SqliteInspection missing;
            missing.error = QStringLiteral("缺少账本的表定义 %1").arg(ddl.fileName());
            return missing;
        }
        return inspectSqliteSchema(QString::fromUtf8(ddl.readAll()));
    }();
    return expected;
}

} // namespace

std::optional<QString> checkLedgerFile(const QString& file, SqliteCheck check)
{
    const SqliteInspection& expected = expectedLedger();
    if (!expected.ok)
        return expected.error;
    const SqliteInspection found = inspectSqliteFile(file, check);
    if (!found.ok)
        return found.error;
    QStringList missingTables, missingColumns;
    for (auto it = expected.tables.cbegin(); it != expected.tables.cend(); ++it) {
        if (!found.tables.contains(it.key())) {
            missingTables << it.key();
            continue;
        }
        const QStringList& present = found.tables[it.key()];
        for (const QString& column : it.value())
            if (!present.contains(column))
                missingColumns << it.key() + u'.' + column;
    }
    if (!missingTables.isEmpty())
        return QStringLiteral("缺少账本的表 %1").arg(missingTables.join(QStringLiteral("、")));
    if (!missingColumns.isEmpty())
        return QStringLiteral("缺少账本的列 %1").arg(missingColumns.join(QStringLiteral("、")));
    return std::nullopt;
}

RestoreResult restoreLedger(Transaction& transaction, const QString& backup, const QString& keepAs)
{
    RestoreResult result;
    result.connected = transaction.isConnected();
    const QString ledger = sqliteLedgerPath(transaction);
    if (ledger.isEmpty()) {
        result.error = QStringLiteral("只有 SQLite 账本可以从备份文件恢复");
        return result;
    }
    if (QFileInfo(backup).absoluteFilePath() == QFileInfo(ledger).absoluteFilePath()) {
        result.error = QStringLiteral("所选文件就是当前账本");
        return result;
    }
    if (auto reason = checkLedgerFile(backup)) {
        result.error =
            QStringLiteral("%1 不是本程序的账本：%2").arg(QDir::toNativeSeparators(backup), *reason);
        return result;
    }
    if (const int version = inspectSqliteFile(backup, SqliteCheck::TablesOnly).userVersion;
        version > LedgerSchema::newestVersion()) {
        result.error = QStringLiteral("%1 是较新版本的程序写的账本（第 %2 版），本程序只认识到第 %3 版")
                           .arg(QDir::toNativeSeparators(backup))
                           .arg(version)
                           .arg(LedgerSchema::newestVersion());
        return result;
    }

    transaction.disconnect();
    auto reconnect = [&] {
        result.connected = transaction.connect();
        if (!result.connected) {
            const QString fixed = result.error.isEmpty()
                                      ? QStringLiteral("不能重新连接账本")
                                      : result.error + QStringLiteral("；也不能重新连接账本");
            result.error = withReason(fixed, transaction.SQLErrText);
        }
    };
    const BackupResult kept = backupSqliteDatabase(ledger, keepAs);
    if (!kept.ok) {
        result.error =
            QStringLiteral("当前账本不能另存为 %1：%2").arg(QDir::toNativeSeparators(keepAs), kept.error);
        reconnect();
        return result;
    }
    QString error;
    if (!restoreSqliteDatabase(backup, ledger, error)) {
        result.error = QStringLiteral("不能写入账本：%1").arg(error);
        reconnect();
        return result;
    }
    result.ok = true;
    reconnect();
    // A backup from before the newer tables gets them at once; the backup
    // file itself is the copy of what it was. Should that fail, the next
    // start tries again and says why.
    if (result.connected)
        upgradeLedger(transaction, false);
    return result;
}

} // namespace qv
