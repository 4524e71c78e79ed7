// The contact picker on a ledger of 100,000 contacts: the time to read the
// contacts into its index once, then per keystroke, as an operator types a
// pinyin code letter by letter, the index's search alone, the search with
// the matches put into the picker's grid, and the database's LIKE the picker
// ran before it had an index.

#include "benchsupport.h"

#include "data/contactpicker.h"
#include "platform/database/transaction.h"
#include "platform/reports/datastore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextStream>

using namespace qv;

namespace {

using bench::Clock;
using bench::median;
using bench::msSince;

// Names and their pinyin initials, as the contacts window makes codes.
struct Syllable
{
    const char* hanzi;
    char initial;
};
constexpr Syllable kSurnames[] = {{"王", 'w'}, {"李", 'l'}, {"张", 'z'}, {"刘", 'l'}, {"陈", 'c'},
                                  {"杨", 'y'}, {"黄", 'h'}, {"赵", 'z'}, {"吴", 'w'}, {"周", 'z'},
                                  {"徐", 'x'}, {"孙", 's'}, {"马", 'm'}, {"朱", 'z'}, {"胡", 'h'},
                                  {"郭", 'g'}, {"何", 'h'}, {"高", 'g'}, {"林", 'l'}, {"罗", 'l'}};
constexpr Syllable kGiven[] = {{"伟", 'w'}, {"芳", 'f'}, {"娜", 'n'}, {"敏", 'm'}, {"静", 'j'}, {"丽", 'l'},
                               {"强", 'q'}, {"磊", 'l'}, {"军", 'j'}, {"洋", 'y'}, {"勇", 'y'}, {"艳", 'y'},
                               {"杰", 'j'}, {"娟", 'j'}, {"涛", 't'}, {"明", 'm'}, {"超", 'c'}, {"秀", 'x'},
                               {"霞", 'x'}, {"平", 'p'}, {"刚", 'g'}, {"桂", 'g'}, {"文", 'w'}, {"华", 'h'},
                               {"德", 'd'}, {"春", 'c'}, {"安", 'a'}, {"宝", 'b'}, {"荣", 'r'}, {"顺", 's'}};

// Adds contacts until the ledger holds `wanted`; false with the reason on
// `err`.
bool fillContacts(Transaction& t, qint64 wanted, QTextStream& err)
{
    QVariantList have;
    if (t.selectInto(QStringLiteral("SELECT count(*) FROM wlryb"), {}, have) != 0)
        return false;
    qint64 count = have.value(0).toLongLong();
    QRandomGenerator random(7);
    const QString sql = QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)");
    for (qint64 n = count; count < wanted; ++n) {
        const Syllable& surname = kSurnames[random.bounded(int(std::size(kSurnames)))];
        QString name = QString::fromUtf8(surname.hanzi);
        QString code(QLatin1Char(surname.initial));
        for (int i = 0, given = 1 + random.bounded(2); i < given; ++i) {
            const Syllable& s = kGiven[random.bounded(int(std::size(kGiven)))];
            name += QString::fromUtf8(s.hanzi);
            code += QLatin1Char(s.initial);
        }
        // Names are the key: the same name again carries a number, as
        // operators tell namesakes apart.
        name += QString::number(n);
        if (t.execute(sql, {name, QStringLiteral("男"), code, QStringLiteral("朋友")}) != 0) {
            err << "cannot add contacts: " << t.SQLErrText << Qt::endl;
            return false;
        }
        if (++count % 10000 == 0 && !t.commit())
            return false;
    }
    return t.commit();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        err << "usage: quorvel_bench_contactpicker <sqlite-file> [contacts=100000]" << Qt::endl;
        return 2;
    }
    const QString file = QFileInfo(args[1]).absoluteFilePath();
    const qint64 contacts = args.value(2, QStringLiteral("100000")).toLongLong();
    if (!bench::ensureLedger(file, 1000, out, err))
        return 1;
    Transaction t;
    if (!bench::openLedger(t, file, err) || !fillContacts(t, contacts, err))
        return 1;

    QList<double> builds;
    ContactIndex index;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        if (!index.build(t)) {
            err << "cannot read the contacts: " << t.SQLErrText << Qt::endl;
            return 1;
        }
        builds << msSince(start);
    }

    // Codes operators type: those of 200 contacts, letter by letter.
    QStringList codes;
    if (t.selectRows(QStringLiteral("SELECT py FROM wlryb ORDER BY xm"), {},
                     [&codes](QVector<QVariant>&& row) { codes << row[0].toString(); }) != 0)
        return 1;
    QStringList keystrokes;
    QRandomGenerator random(11);
    for (int i = 0; i < 200; ++i) {
        const QString code = codes.value(random.bounded(int(codes.size())));
        for (int n = 1; n <= code.size(); ++n)
            keystrokes << code.left(n);
    }

    DataStore store(dddwWlyrDefinition(t.dialect()));
    store.setTransObject(&t);
    QList<double> lookups, filled, database;
    QList<double> matches;
    for (const QString& typed : keystrokes) {
        auto start = Clock::now();
        const std::vector<quint32> found = index.containing(typed);
        lookups << msSince(start);
        matches << double(found.size());

        start = Clock::now();
        const std::vector<quint32> again = index.containing(typed);
        store.retrieveFrom([&](const DataStore::RowSink& onRow) { return index.read(again, onRow); });
        filled << msSince(start);
    }
    // The database's LIKE scans every code: a sample is enough.
    for (qsizetype i = 0; i < keystrokes.size(); i += 10) {
        const auto start = Clock::now();
        store.retrieve({QStringLiteral("%") + keystrokes[i] + QStringLiteral("%")});
        database << msSince(start);
    }

    out << QStringLiteral("%1 contacts in %2; %3 keystrokes typing 200 codes letter by letter; medians")
               .arg(index.size())
               .arg(file)
               .arg(keystrokes.size())
        << Qt::endl;
    out << QStringLiteral("  reading the contacts into the index: %1 ms").arg(median(builds), 0, 'f', 1)
        << Qt::endl;
    out << QStringLiteral(
               "  per keystroke: search %1 ms (%2 matches); search and the matches into the grid's "
               "store %3 ms")
               .arg(median(lookups), 0, 'f', 3)
               .arg(median(matches), 0, 'f', 0)
               .arg(median(filled), 0, 'f', 2)
        << Qt::endl;
    out << QStringLiteral("  the database's LIKE for the same text: %1 ms").arg(median(database), 0, 'f', 2)
        << Qt::endl;
    return 0;
}
