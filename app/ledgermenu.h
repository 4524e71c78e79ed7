#pragma once

class QWidget;

namespace qv {

class Transaction;

// "备份账本": a save dialog proposing a timestamped file beside the ledger,
// then the same online copy as `quorvel --backup`.
void backupLedgerCommand(Transaction& transaction, QWidget* frame);

// "恢复账本": picks a backup, refuses a file that is not an intact ledger of
// this program, asks, closes every window over the connection (each asks
// about its own unsaved changes), keeps the current ledger as a timestamped
// copy, puts the backup in its place and reconnects.
void restoreLedgerCommand(Transaction& transaction, QWidget* frame);

// Closes the frame's sheets and the task windows outside it through their
// own close handlers; false as soon as one stays open.
bool closeLedgerWindows(QWidget* frame);

// Registers both as the menu commands "backup" and "restore".
void registerLedgerCommands();

} // namespace qv
