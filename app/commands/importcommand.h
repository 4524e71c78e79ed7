#pragma once

#include <QString>
#include <QTextStream>

namespace qv {

// `quorvel --import FILE [--dry-run]`: reads a gift list (.xlsx, .xls or
// .csv) into the ledger that the working directory's pb.ini names, as the
// 导入礼单 window does with its first sheet and the columns it finds:
// prints what the preview found (rows read, rows to import, each refused
// row with its reason, the possible duplicates, which are left out), then
// imports in one transaction unless `dryRun`. An older ledger is brought up
// to date first, as at start. Returns the exit code: 0 imported (with
// `dryRun`: would import), 1 nothing written (the reason printed), 2 no
// usable pb.ini.
int runImport(const QString& file, bool dryRun, QTextStream& out, QTextStream& err);

} // namespace qv
