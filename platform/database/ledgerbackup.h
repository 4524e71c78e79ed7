#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

namespace qv {

class Transaction;

// What a backup wrote, or why it wrote nothing.
struct BackupResult
{
    bool ok = false;
    QString file; // absolute path of the copy
    qint64 bytes = 0;
    QString error; // the reason, in the operator's words, when !ok
};

// Copies the SQLite database `source` into the new file `target` with
// SQLite's online backup: the copy is one consistent state of the source,
// taken under a read lock, so a program writing there meanwhile neither
// stops nor leaks uncommitted rows into it. An existing `target` is refused.
// The copy is written under a working name ("<target>.xxxxxx.part") in the
// target's directory and renamed to `target` once complete, so a copy that
// fails half-way (a full disk) or is cut short (the program killed) never
// carries the backup's name; a failed one is removed.
BackupResult backupSqliteDatabase(const QString& source, const QString& target);

// Replaces the whole content of the SQLite database `target` with that of
// `source`, in one write transaction of the target: other connections see
// the old content or the new, and a failure leaves the old.
bool restoreSqliteDatabase(const QString& source, const QString& target, QString& error);

// An SQLite file as found on disk: whether it passed SQLite's integrity
// check, and its tables with their columns (lower case).
struct SqliteInspection
{
    bool ok = false; // opened, read and found intact
    QString error;
    QMap<QString, QStringList> tables;
    int userVersion = 0; // PRAGMA user_version: the ledger's version, 0 before versions were kept
};
// How far a file is read: SQLite's integrity check reads every page (seconds
// for a ledger of a million gifts), the tables alone only the catalogue.
enum class SqliteCheck { Integrity, TablesOnly };
// Opens the file read-only and never changes it.
SqliteInspection inspectSqliteFile(const QString& file, SqliteCheck check = SqliteCheck::Integrity);
// The tables and columns that a DDL script creates, built in memory.
SqliteInspection inspectSqliteSchema(const QString& ddl);

// The absolute path of the connection's SQLite file as the profile names it
// (relative names are taken from the working directory); empty for any
// other database.
QString sqliteLedgerPath(const Transaction& transaction);

// "<ledger's base name>-yyyymmdd-hhmmss.db" in the ledger's directory, the
// name a backup is proposed under. With `unique`, a name already taken gets
// "-2", "-3" … so that two backups within one second both survive.
QString timestampedBackupPath(const QString& ledgerPath, const QDateTime& when, bool unique = true);

// The backup taken before a step that cannot be undone otherwise (data
// initialisation, restore): a timestamped copy beside the SQLite ledger of
// the connection. Fails for other databases.
BackupResult backupBesideLedger(const Transaction& transaction,
                                const QDateTime& when = QDateTime::currentDateTime());

// "1.2 MB" and the like, for messages about backups.
QString fileSizeText(qint64 bytes);

} // namespace qv
