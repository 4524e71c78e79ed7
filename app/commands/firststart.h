#pragma once

#include <QString>

namespace qv {

// Where the household ledger lives when the program is started outside it:
// $QUORVEL_HOME, or ~/Quorvel.
QString ledgerHome();

// A start from the application menu runs in the user's home folder, which has
// no pb.ini. Then the ledger home is used, made on the first start with a
// pb.ini for the embedded ledger and that ledger initialised, and becomes the
// working directory. A working directory that has a pb.ini is the ledger's
// and is left alone; an existing pb.ini or ledger is never written over.
// False, with the reason in Chinese in `error`, when the home cannot be made.
bool enterLedgerHome(QString& error);

} // namespace qv
