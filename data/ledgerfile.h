#pragma once

#include "platform/database/ledgerbackup.h"

#include <QString>

#include <optional>

namespace qv {

class Transaction;

// Whether `file` is a ledger of this program: an intact SQLite database that
// holds every table of the ledger with every column the program reads and
// writes. Nothing when it is; otherwise the reason, naming what is missing.
// The file is only read; with SqliteCheck::TablesOnly its pages are not
// checked for damage, which takes seconds on a large ledger.
std::optional<QString> checkLedgerFile(const QString& file, SqliteCheck check = SqliteCheck::Integrity);

struct RestoreResult
{
    bool ok = false;        // the ledger now holds the backup's rows
    bool connected = false; // the connection is open again (on either outcome)
    QString error;          // why not, or why the connection did not reopen
};

// Puts the backup `backup` in place of the connection's SQLite ledger. The
// current ledger is first copied to `keepAs`; then the backup's content is
// written into the ledger file in one transaction, so a failure at any step
// leaves the ledger as it was. The connection is closed for the copy (its
// pending work rolled back: close the windows first) and opened again.
RestoreResult restoreLedger(Transaction& transaction, const QString& backup, const QString& keepAs);

} // namespace qv
