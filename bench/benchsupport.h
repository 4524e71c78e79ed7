#pragma once

#include <QList>
#include <QString>
#include <QTextStream>

#include <chrono>

namespace qv {
class Transaction;
}

namespace qv::bench {

using Clock = std::chrono::steady_clock;

// Milliseconds of wall-clock time since `start`.
double msSince(Clock::time_point start);

// The middle value (the mean of the two middle ones for an even count); 0
// for none.
double median(QList<double> values);

// Processor seconds (user + system) this process has used so far.
double processSeconds();

// Makes a ledger of `rows` made-up records at `file` when there is none
// there yet, saying so on `out`; false, with the reason on `err`, when that
// fails.
bool ensureLedger(const QString& file, qint64 rows, QTextStream& out, QTextStream& err);

// The sqlite3 shell every benchmark compares against; empty, with the
// reason on `err`, when it is not on the PATH.
QString sqliteShell(QTextStream& err);

// Connects `t` to the SQLite ledger at `file`; false, with the reason on
// `err`, when it cannot.
bool openLedger(Transaction& t, const QString& file, QTextStream& err);

} // namespace qv::bench
