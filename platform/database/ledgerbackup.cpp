#include "ledgerbackup.h"

#include "dialect.h"
#include "platform/core/workingfile.h"
#include "transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace qv {

namespace {

// How long a copy waits for a writer that is committing at that moment.
constexpr int kBusyTimeoutMs = 5000;
constexpr int kBusyRetries = 50;
constexpr int kBusyRetrySleepMs = 100;

// One connection of the library's own, closed on every way out.
class Connection
{
public:
    Connection() = default;
    ~Connection()
    {
        if (m_db)
            sqlite3_close_v2(m_db);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int open(const QString& path, int flags)
    {
        // SQLite hands the name to open() as bytes: the file system's encoding.
        const QByteArray name = path == u":memory:" ? path.toUtf8() : QFile::encodeName(path);
        const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
        if (m_db) {
            sqlite3_extended_result_codes(m_db, 1);
            sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        }
        return rc;
    }
    sqlite3* get() const { return m_db; }
    QString message() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString(); }

private:
    sqlite3* m_db = nullptr;
};

// The reason for a failed step as the operator reads it; the library's own
// words follow in brackets for whoever has to look further.
QString reason(int rc, const QString& libraryText)
{
    QString text;
    switch (rc & 0xff) {
    case SQLITE_FULL:
        text = QStringLiteral("磁盘空间不足");
        break;
    case SQLITE_NOTADB:
        text = QStringLiteral("不是 SQLite 数据库文件");
        break;
    case SQLITE_CORRUPT:
        text = QStringLiteral("数据库文件已损坏");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        text = QStringLiteral("账本正被另一个程序长时间锁定，请稍后再试");
        break;
    case SQLITE_CANTOPEN:
        text = QStringLiteral("打不开文件");
        break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        text = QStringLiteral("没有写入权限");
        break;
    case SQLITE_IOERR:
        text = QStringLiteral("读写磁盘出错");
        break;
    default:
        text = QStringLiteral("数据库出错");
        break;
    }
    const QString detail = libraryText.isEmpty() ? QString::fromUtf8(sqlite3_errstr(rc)) : libraryText;
    return QStringLiteral("%1（%2）").arg(text, detail);
}

// Copies every page of `from` into `to` in one go. A writer committing at
// that moment holds its lock for milliseconds; the copy waits for it.
bool copyPages(Connection& to, Connection& from, QString& error)
{
    sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (!backup) {
        error = reason(sqlite3_extended_errcode(to.get()), to.message());
        return false;
    }
    int rc = SQLITE_OK;
    for (int retries = 0;;) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_DONE)
            break;
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && retries++ < kBusyRetries) {
            sqlite3_sleep(kBusyRetrySleepMs);
            continue;
        }
        if (rc != SQLITE_OK)
            break;
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && finished == SQLITE_OK)
        return true;
    const int failure = rc != SQLITE_DONE && rc != SQLITE_OK ? rc : finished;
    // A failure in the source (not a database, damaged) is only known by its
    // code; the destination's message describes the destination.
    const int code = failure & 0xff;
    const bool sourceFault = code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
    error = reason(failure, sourceFault ? QString() : to.message());
    return false;
}

void removeWithJournal(const QString& file)
{
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
}

bool readTables(Connection& db, SqliteInspection& into)
{
    QMap<QString, QStringList>& tables = into.tables;
    QString& error = into.error;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), "PRAGMA user_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        into.userVersion = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    stmt = nullptr;
    const char* sql = "SELECT m.name, p.name FROM sqlite_master AS m, pragma_table_info(m.name) AS p "
                      "WHERE m.type = 'table' ORDER BY m.name, p.cid";
    int rc = sqlite3_prepare_v2(db.get(), sql, -1, &stmt, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const QString table = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        const QString column = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
        tables[table.toLower()].append(column.toLower());
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        error = reason(rc, db.message());
        return false;
    }
    return true;
}

} // namespace

BackupResult backupSqliteDatabase(const QString& source, const QString& target)
{
    BackupResult result;
    const QFileInfo targetInfo(target);
    result.file = targetInfo.absoluteFilePath();
    if (!QFileInfo(source).isFile()) {
        result.error = QStringLiteral("找不到账本文件 %1").arg(QDir::toNativeSeparators(source));
        return result;
    }
    if (targetInfo.absoluteFilePath() == QFileInfo(source).absoluteFilePath()) {
        result.error = QStringLiteral("备份文件不能是账本本身");
        return result;
    }
    // A journal left beside the name would be played into the new copy.
    if (QFileInfo::exists(result.file + QStringLiteral("-journal")) ||
        QFileInfo::exists(result.file + QStringLiteral("-wal"))) {
        result.error =
            QStringLiteral("旁边有同名的日志文件（%1-journal），请另选文件名").arg(targetInfo.fileName());
        return result;
    }
    if (QFileInfo::exists(result.file)) {
        result.error = QStringLiteral("文件已经存在，没有覆盖它，请另选文件名");
        return result;
    }
    // The copy is written under a working name beside the target and takes
    // the target's name only once it is complete: a copy cut short (the
    // program killed, the machine off) never looks like a backup.
    const QString working = claimWorkingFile(result.file, &result.error);
    if (working.isEmpty())
        return result;
    bool ok = false;
    {
        Connection from, to;
        // Read-write on the source only so that SQLite can roll back a journal
        // a crashed writer left behind; the copy itself only reads.
        int rc = from.open(source, SQLITE_OPEN_READWRITE);
        if (rc != SQLITE_OK) {
            result.error = reason(rc, from.message());
        } else if ((rc = to.open(working, SQLITE_OPEN_READWRITE)) != SQLITE_OK) {
            result.error = reason(rc, to.message());
        } else {
            ok = copyPages(to, from, result.error);
        }
    }
    // QFile::rename never replaces: a file that took the name meanwhile stays.
    QFile finished(working);
    if (ok && !finished.rename(result.file)) {
        result.error = QFileInfo::exists(result.file)
                           ? QStringLiteral("文件已经存在，没有覆盖它，请另选文件名")
                           : QStringLiteral("不能建立文件（%1）").arg(finished.errorString());
        ok = false;
    }
    if (!ok) {
        removeWithJournal(working);
        return result;
    }
    result.ok = true;
    result.bytes = QFileInfo(result.file).size();
    return result;
}

bool restoreSqliteDatabase(const QString& source, const QString& target, QString& error)
{
    if (!QFileInfo(target).isFile()) {
        error = QStringLiteral("找不到账本文件 %1").arg(QDir::toNativeSeparators(target));
        return false;
    }
    Connection from, to;
    int rc = from.open(source, SQLITE_OPEN_READONLY);
    if (rc != SQLITE_OK) {
        error = reason(rc, from.message());
        return false;
    }
    rc = to.open(target, SQLITE_OPEN_READWRITE);
    if (rc != SQLITE_OK) {
        error = reason(rc, to.message());
        return false;
    }
    return copyPages(to, from, error);
}

SqliteInspection inspectSqliteFile(const QString& file, SqliteCheck check)
{
    SqliteInspection result;
    if (!QFileInfo(file).isFile()) {
        result.error = QStringLiteral("找不到文件 %1").arg(QDir::toNativeSeparators(file));
        return result;
    }
    Connection db;
    int rc = db.open(file, SQLITE_OPEN_READONLY);
    if (rc != SQLITE_OK) {
        result.error = reason(rc, db.message());
        return result;
    }
    if (check == SqliteCheck::TablesOnly) {
        result.ok = readTables(db, result);
        return result;
    }
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db.get(), "PRAGMA integrity_check(20)", -1, &stmt, nullptr);
    QStringList problems;
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        problems << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        result.error = reason(rc, (rc & 0xff) == SQLITE_NOTADB ? QString() : db.message());
        return result;
    }
    if (problems != QStringList{QStringLiteral("ok")}) {
        result.error = QStringLiteral("数据库文件已损坏（%1）").arg(problems.join(QStringLiteral("；")));
        return result;
    }
    result.ok = readTables(db, result);
    return result;
}

SqliteInspection inspectSqliteSchema(const QString& ddl)
{
    SqliteInspection result;
    Connection db;
    int rc = db.open(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db.get(), ddl.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        result.error = reason(rc, db.message());
        return result;
    }
    result.ok = readTables(db, result);
    return result;
}

QString sqliteLedgerPath(const Transaction& transaction)
{
    if (Dialect::parseDbms(transaction.DBMS) != Dbms::SQLite || transaction.Database.trimmed().isEmpty())
        return {};
    // Once connected, the path the connection really opened.
    if (transaction.isConnected() && transaction.dialect().dbms() == Dbms::SQLite)
        return transaction.database().databaseName();
    return QFileInfo(QDir::current(), transaction.Database).absoluteFilePath();
}

QString timestampedBackupPath(const QString& ledgerPath, const QDateTime& when, bool unique)
{
    const QFileInfo ledger(ledgerPath);
    QString base = ledger.completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("ledger");
    const QString stem = base + u'-' + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir dir = ledger.absoluteDir();
    QString path = dir.filePath(stem + QStringLiteral(".db"));
    for (int n = 2;
         unique && (QFileInfo::exists(path) || QFileInfo::exists(path + QStringLiteral("-journal"))); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.db").arg(stem).arg(n));
    return path;
}

BackupResult backupBesideLedger(const Transaction& transaction, const QDateTime& when)
{
    const QString ledger = sqliteLedgerPath(transaction);
    if (ledger.isEmpty()) {
        BackupResult result;
        result.error = QStringLiteral("账本不是 SQLite 文件，不能在它旁边备份");
        return result;
    }
    return backupSqliteDatabase(ledger, timestampedBackupPath(ledger, when));
}

QString fileSizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024, 0, 'f', 1);
    if (bytes < 1024LL * 1024 * 1024)
        return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
    return QStringLiteral("%1 GB").arg(double(bytes) / (1024.0 * 1024 * 1024), 0, 'f', 2);
}

} // namespace qv
