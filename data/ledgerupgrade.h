#pragma once

#include <QDateTime>
#include <QString>

namespace qv {

class Transaction;

// What bringing a ledger up to the program's version did.
struct LedgerUpgrade
{
    enum class Outcome {
        Current,     // already the newest version: nothing done
        Upgraded,    // the new tables are in, after a backup where one can be taken
        Failed,      // nothing changed; `error` says why
        TooNew,      // made by a newer program: this one must not write to it
        NotPossible, // an older ledger reached through ODBC: left as it is
    };
    Outcome outcome = Outcome::Failed;
    int from = 0;
    int to = 0;
    QString backupFile; // the copy taken before, on SQLite
    QString error;

    // What to tell the operator, once; empty when there is nothing to say.
    QString message() const;
};

// Brings the connected ledger to the newest version: on SQLite a
// timestamped copy beside it first (skipped with `backupFirst` false, when
// the caller holds a copy already), then every missing version's tables in
// one transaction, so that a failure or a kill leaves the ledger as it was.
// A PostgreSQL server rolls DDL back with the rest, so there the
// transaction alone keeps the ledger whole; back it up with pg_dump as
// always. Over ODBC the server's dialect is unknown: an older ledger there
// is left alone and what needs the newer tables says so.
LedgerUpgrade upgradeLedger(Transaction& transaction, bool backupFirst = true,
                            const QDateTime& when = QDateTime::currentDateTime());

} // namespace qv
