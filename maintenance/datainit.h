#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace qv {

class Transaction;

// A copy of the ledger taken just before it is emptied. Returns false to stop
// the initialisation; it then has told the operator why. `note` receives a
// line for the success message (where the copy went), or stays empty.
using LedgerBackup = std::function<bool(Transaction& transaction, QWidget* parent, QString& note)>;
// Replaces the step; an empty one copies nothing.
void setLedgerBackup(LedgerBackup backup);

// The step installed at start: on an SQLite ledger a timestamped copy beside
// it, so that an initialisation answered OK by mistake can be undone with
// 恢复账本; other databases are copied with their own tools, and pass.
bool backupBeforeInitialising(Transaction& transaction, QWidget* parent, QString& note);

// The profile that holds the initialisation flag: pb.ini in the working
// directory the main frame captured at its opening.
QString initialisationProfilePath();

// The sheets that show what the initialisation empties. They are closed, each
// through its own close handler, before anything is deleted: a list of
// records that no longer exist invites edits that can only fail.
QStringList sheetsShowingEmptiedTables();

// "数据初始化": empties the gift records, the statistics archive and the
// contacts in one transaction, once, before the ledger is put into regular
// use. The flag csh in [other] of the profile remembers that it was done; a
// later run only re-arms the flag after a warning. `frame` parents the boxes
// and holds the sheets to close; it may be null.
void initialiseData(Transaction& transaction, QWidget* frame);

} // namespace qv
