#include "backupcommand.h"

#include "app/pack.h"

#include "platform/database/dialect.h"
#include "platform/database/ledgerbackup.h"
#include "platform/database/transaction.h"

#include <QDir>
#include <QFileInfo>

namespace qv {

int runBackup(const QString& file, QTextStream& out, QTextStream& err)
{
    Transaction t;
    if (!readProfileConnection(t, err))
        return 2;
    switch (Dialect::parseDbms(t.DBMS)) {
    case Dbms::SQLite:
        break;
    case Dbms::PostgreSQL:
        err << QStringLiteral("账本在 PostgreSQL 服务器上（数据库 %1），--backup 只复制 SQLite 账本文件。"
                              "请用服务器的备份工具 pg_dump，例如：pg_dump -Fc -f quorvel.dump %1")
                   .arg(t.Database.trimmed())
            << Qt::endl;
        return 3;
    case Dbms::ODBC:
        err << QStringLiteral(
                   "账本经 ODBC 连接，--backup 只复制 SQLite 账本文件；请用该数据库自己的备份工具。")
            << Qt::endl;
        return 3;
    case Dbms::Unknown:
        err << QStringLiteral("pb.ini 的 [database] 没有指定 SQLite 账本（dbms=%1），没有备份。").arg(t.DBMS)
            << Qt::endl;
        return 3;
    }
    const QString ledger = sqliteLedgerPath(t);
    if (ledger.isEmpty()) {
        err << QStringLiteral("pb.ini 的 [database] 中缺少 database（账本文件名），没有备份。") << Qt::endl;
        return 2;
    }
    // Opened first as the program opens it, which also rolls back what a
    // crashed writer left, so that an empty file or another program's
    // database is named as such rather than copied as a backup.
    if (t.connect()) {
        const auto refusal = refuseNonLedger(t);
        t.disconnect();
        if (refusal) {
            err << QStringLiteral("备份失败，没有写入 %1：%2：%3")
                       .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()), refusal->what,
                            refusal->reason)
                << Qt::endl;
            return 1;
        }
    }
    const BackupResult result = backupSqliteDatabase(ledger, file);
    if (!result.ok) {
        err << QStringLiteral("备份失败，没有写入 %1：%2")
                   .arg(QDir::toNativeSeparators(result.file), result.error)
            << Qt::endl;
        return 1;
    }
    out << QStringLiteral("已将账本 %1 备份到 %2（%3）。")
               .arg(QDir::toNativeSeparators(ledger), QDir::toNativeSeparators(result.file),
                    fileSizeText(result.bytes))
        << Qt::endl;
    return 0;
}

} // namespace qv
