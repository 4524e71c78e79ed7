#include "ledgergen.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    bool countOk = false, seedOk = true;
    const qint64 count = args.value(2).toLongLong(&countOk);
    const quint64 seed = args.size() > 3 ? args[3].toULongLong(&seedOk) : 1;
    if (args.size() < 3 || args.size() > 4 || !countOk || count < 0 || !seedOk) {
        err << "usage: quorvel_gen_ledger <sqlite-file> <N> [seed]" << Qt::endl;
        return 2;
    }
    qv::bench::GeneratedLedger result;
    QString error;
    if (!qv::bench::generateLedger(args[1], count, seed, out, result, error)) {
        err << "generation failed: " << error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("%1 records and %2 contacts in %3 s (%4 records/s)")
               .arg(result.records)
               .arg(result.contacts)
               .arg(result.seconds, 0, 'f', 2)
               .arg(qint64(result.records / std::max(result.seconds, 1e-9)))
        << Qt::endl;
    return 0;
}
