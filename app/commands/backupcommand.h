#pragma once

#include <QString>
#include <QTextStream>

namespace qv {

// `quorvel --backup FILE`: writes a consistent copy of the SQLite ledger that
// the working directory's pb.ini names to FILE, also while the program is
// open and saving there. Refuses an existing FILE, a file that is not a ledger
// of this program (named with what it lacks) and any ledger that is not
// an SQLite file (a server's ledger is backed up with the server's tools).
// Returns the process exit code: 0 written, 1 not written (the reason
// printed), 2 no usable pb.ini, 3 not an SQLite ledger.
int runBackup(const QString& file, QTextStream& out, QTextStream& err);

} // namespace qv
