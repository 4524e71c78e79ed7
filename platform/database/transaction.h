#pragma once

#include "dialect.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

namespace qv {

// One row of a SELECT as the driver holds it, valid only during the call
// that hands it over. Texts can be read as their UTF-8 bytes, so that a
// caller keeping a million rows need not make a QString of every cell.
class ResultRow
{
public:
    enum class Kind { Null, Integer, Real, Text, Other };
    virtual ~ResultRow() = default;
    virtual int count() const = 0;
    virtual Kind kind(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    // A Text cell's bytes, valid until the next call on this row.
    virtual QByteArrayView utf8(int column) const = 0;
    // Any cell as a value: null, qlonglong, double, QString, or what the
    // driver gives for other types (dates, blobs).
    virtual QVariant value(int column) const = 0;
};

// The transaction object: the one connection to the ledger, filled from the
// profile file, and the result of the last statement. Nothing is committed
// automatically: a write opens a transaction that stays open until the caller
// commits or rolls back.
class Transaction
{
public:
    // Connection settings, named as in the profile file's [database] section.
    QString DBMS;
    QString Database;
    QString UserID;
    QString DBPass;
    QString LogID;
    QString LogPass;
    QString ServerName;
    QString DBParm;

    // Result of the last operation: 0 success, 100 no row, -1 error.
    long SQLCode = 0;
    QString SQLErrText;
    // The database's own code for the last failure (SQLSTATE on PostgreSQL
    // and ODBC, the result code on SQLite); empty after a success.
    QString SQLState;
    qint64 SQLNRows = 0;
    QString lastStatement; // the SQL that SQLCode refers to, for diagnostics

    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    enum class OpenMode { ExistingOnly, CreateSQLiteFile };
    // Connects with the fields above. An SQLite file is never created unless
    // asked for: a mistyped path must not become an empty ledger.
    bool connect(OpenMode mode = OpenMode::ExistingOnly);
    bool disconnect();
    bool isConnected() const;

    bool commit();
    bool rollback();
    bool inTransaction() const { return m_inTransaction; }
    // Which transaction this is: a number that changes with each begin, so
    // that what a writer learnt inside one transaction is not trusted in the
    // next.
    quint64 transactionSerial() const { return m_transactionSerial; }

    // A server connection can go away under the program (the server
    // restarted, the network dropped), and the driver may close it without
    // a failed statement of ours having shown it. A statement outside a
    // transaction that meets a closed or broken connection reconnects once
    // and runs again; when that fails too it says so, and the next statement
    // tries again. A transaction the loss cut off is gone: every statement
    // fails until the caller has rolled back, so that half of a save is
    // never committed through the new connection. A commit that fails with
    // the connection lost may have been done by the server all the same.
    bool connectionLost() const { return m_lost; }

    // The last failure was another writer holding the database (SQLite's
    // lock, a PostgreSQL lock or serialisation conflict): worth trying again.
    bool lastFailureWasBusy() const;

    // For tests of what follows an unanswered commit: the next commit is
    // reported as failed with the connection lost, as when the line drops
    // while the answer is on its way. `done` says whether the database
    // committed (the answer was lost) or rolled back (the request was).
    void loseNextCommitAnswer(bool done = true) { m_loseCommitAnswer = done ? 1 : -1; }

    // Embedded SQL. Values are always bound, never spliced. `?` placeholders.
    // INSERT, UPDATE, DELETE (and DDL): 0 or -1; SQLNRows holds the rows hit.
    int execute(const QString& sql, const QVariantList& values = {});
    // Singleton select: 0 with the first row's columns in `into`, 100 when no
    // row, -1 on error.
    int selectInto(const QString& sql, const QVariantList& values, QVariantList& into);
    // A forward-only cursor for a SELECT; SQLCode tells whether it opened.
    std::optional<QSqlQuery> open(const QString& sql, const QVariantList& values = {});

    // Runs a SELECT and hands every row to `onRow`; 0 or -1. On SQLite the
    // rows are read straight from the library: Qt's driver converts every
    // text to UTF-16 inside SQLite and copies it twice more, which made
    // reading a large ledger several times slower than the database itself.
    int selectRows(const QString& sql, const QVariantList& values,
                   const std::function<void(const ResultRow& row)>& onRow);
    // The same with each row as one value per column (null, qlonglong,
    // double, QString): simpler for a few rows; a caller keeping many reads
    // the ResultRow form.
    int selectRows(const QString& sql, const QVariantList& values,
                   const std::function<void(QVector<QVariant>&& row)>& onRow);
    // The same while `onRow` returns true: a false stops there, and the
    // statement is finished without reading the rows left (a cancelled query
    // of a large ledger would otherwise go on reading it all). 0 or -1;
    // SQLNRows holds the rows handed over.
    int selectRowsWhile(const QString& sql, const QVariantList& values,
                        const std::function<bool(const ResultRow& row)>& onRow);

    const Dialect& dialect() const { return m_dialect; }
    QSqlDatabase database() const;
    QString connectionName() const { return m_connectionName; }

    // While one of these lives, the statements that execute() and
    // selectInto() run inside an open transaction (after its first) are
    // prepared once and run again with the next values: a bulk writer runs
    // the same few statements many thousand times, and parsing them each
    // time costs more than running them. They are let go with the last one.
    class ReusedStatements
    {
    public:
        explicit ReusedStatements(Transaction& transaction) : m_t(transaction) { ++m_t.m_reuse; }
        ~ReusedStatements()
        {
            if (--m_t.m_reuse == 0)
                m_t.m_prepared.clear();
        }
        ReusedStatements(const ReusedStatements&) = delete;
        ReusedStatements& operator=(const ReusedStatements&) = delete;

    private:
        Transaction& m_t;
    };

    // Opens the write transaction if none is open; used by every writer. On
    // SQLite it takes the write lock at once, so that two writers never both
    // read and then find that only one of them may write.
    bool begin();

private:
    bool fail(const QString& text, const QString& statement = {});
    bool fail(const QSqlError& error, const QString& statement);
    void succeed(const QString& statement);
    std::optional<QSqlQuery> run(const QString& sql, const QVariantList& values);
    bool connectSQLite(QSqlDatabase& db, OpenMode mode);
    void afterOpen(QSqlDatabase& db);
    // Before a statement: fails on a cut transaction, reconnects once after
    // a loss outside a transaction, including a connection the driver closed
    // without our knowing.
    bool ensureOpen(const QString& statement);
    bool runBegin();
    std::optional<QSqlQuery> runOnce(const QString& sql, const QVariantList& values);
    // The prepared statement for `sql`, run with `values`; nullptr on failure.
    QSqlQuery* runReused(const QString& sql, const QVariantList& values);
    bool reuses(const QVariantList& values) const
    {
        // SQLite prepares any statement; a server may not prepare a
        // savepoint or DDL, so there only statements with values are kept.
        return m_reuse > 0 && m_inTransaction && m_statementsInTransaction > 0 &&
               (!values.isEmpty() || m_dialect.dbms() == Dbms::SQLite);
    }
    // After a failure: when the connection itself went away, records the
    // loss and says so in SQLErrText above the driver's text.
    void noteIfLost(const QString& driverText);

    QString m_connectionName;
    Dialect m_dialect;
    bool m_inTransaction = false;
    bool m_lost = false;
    bool m_transactionCut = false;
    int m_statementsInTransaction = 0;
    int m_loseCommitAnswer = 0; // 1 after the commit, -1 instead of it
    int m_reuse = 0;
    quint64 m_transactionSerial = 0;
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_prepared;
};

// The global connection of the application.
Transaction& sqlca();

// Rewrites ":name" placeholders into positional "?" and returns the values in
// the order the placeholders appear, so that one statement text serves every
// driver (a name may appear more than once). Quoted text and "::" casts are
// left alone. Unknown names give an empty optional.
std::optional<std::pair<QString, QVariantList>> bindNamed(const QString& sql, const QStringList& names,
                                                          const QVariantList& values);

} // namespace qv

namespace qv {
class ProfileFile;
// Copies the [database] keys into the connection, in the start-up's order,
// untrimmed and without defaults other than the empty string.
void readConnectionSettings(Transaction& transaction, const ProfileFile& profile);
} // namespace qv
