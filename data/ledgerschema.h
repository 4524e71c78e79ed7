#pragma once

#include <QString>
#include <QStringList>

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
