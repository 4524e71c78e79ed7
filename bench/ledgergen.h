#pragma once

#include <QString>
#include <QTextStream>

namespace qv::bench {

struct GeneratedLedger
{
    qint64 records = 0;  // gift records added
    qint64 contacts = 0; // contacts added
    double seconds = 0;
};

// Fills an SQLite ledger with `count` made-up gift records and the contacts
// they name, creating and seeding the file first when it does not exist. The
// same seed on a fresh file gives the same ledger byte for byte in content.
// Progress lines (rows per second) go to `progress`. On failure nothing of
// the unfinished batch is kept and the reason is in `error`.
bool generateLedger(const QString& file, qint64 count, quint64 seed, QTextStream& progress,
                    GeneratedLedger& result, QString& error);

} // namespace qv::bench
