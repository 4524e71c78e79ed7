#pragma once

#include <QTextStream>

namespace qv {

// `quorvel --init-db`: creates the schema and seed rows in the database that
// the working directory's pb.ini names. Refuses a database that already has
// any of the ledger's tables. Returns the process exit code.
int runInitDb(QTextStream& out, QTextStream& err);

} // namespace qv
