#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace qv {

class Transaction;

// Creates the ledger's tables and seed rows. This is the only code that
// creates tables; the windows never do.
class LedgerSchema
{
public:
    static const QStringList& tableNames();

    // Which of the ledger's tables the database already has.
    static QStringList existingTables(Transaction& transaction);

    // Runs the DDL of the connection's database and loads the seed rows, in
    // one transaction, and commits. On failure everything is rolled back and
    // the reason is in `error`. `report` collects one line per step.
    static bool create(Transaction& transaction, QStringList& report, QString& error);

    // The version of the ledger's tables. Version 1 is the first design;
    // each later version only adds tables, so that a program of any version
    // reads the records of the first. SQLite keeps the version in the file's
    // header (PRAGMA user_version: 0 on a ledger made before versions were
    // kept), the other databases in the one-row table zbbb.
    static int newestVersion();
    // The connected ledger's version; nothing, with the reason in `error`,
    // when it cannot be read.
    static std::optional<int> version(Transaction& transaction, QString& error);
    // Adds the tables of every version after `from` and records the newest,
    // inside the caller's transaction (nothing is committed). False, with
    // the reason, on the first failing statement; the caller rolls back.
    static bool addVersions(Transaction& transaction, int from, QStringList& report, QString& error);

    // Seed rows of one table as read from the resources: the header names the
    // columns, each further line is one row (tab-separated).
    struct Seed
    {
        QString table;
        QStringList columns;
        QList<QStringList> rows;
    };
    static bool readSeed(const QString& table, Seed& seed, QString& error);
};

} // namespace qv
