#include "statisticstest.h"

namespace qv::test {

void StatisticsTest::SetUp()
{
    LedgerTest::SetUp();
    m_boxes = &installScriptedMessageBoxes();
}

void StatisticsTest::addGift(const QString& kind, const char* amount, const char* date)
{
    const QString xtbh = QStringLiteral("26%1").arg(++m_next, 10, 10, QLatin1Char('0'));
    ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sj, sq) VALUES (?, ?, ?, ?, ?, ?)"),
                  {xtbh, QStringLiteral("张三"), kind, QString::fromLatin1(amount), QString::fromLatin1(date),
                   QString::fromLatin1(date)});
}

void StatisticsTest::archiveYear(const char* year)
{
    for (int m = 1; m <= 12; ++m)
        ledger().exec(
            QStringLiteral("INSERT INTO tjb_save (year, mon, sou, song, je) VALUES (?, ?, ?, ?, ?)"),
            {QString::fromLatin1(year), QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')),
             QString::number(100 * m), QStringLiteral("-10"), QString::number(100 * m - 10)});
}

void StatisticsTest::refuseOn(const char* event, const char* table, const char* mon)
{
    const QString e = QString::fromLatin1(event);
    const QString t = QString::fromLatin1(table);
    const QString row = e == u"DELETE" ? QStringLiteral("OLD") : QStringLiteral("NEW");
    const QString m = QString::fromLatin1(mon);
    if (onPostgreSQL()) {
        ledger().exec(QStringLiteral("CREATE FUNCTION refuse_%1() RETURNS trigger AS $$ BEGIN "
                                     "IF %2.mon = '%3' THEN RAISE EXCEPTION 'refused by test'; END IF; "
                                     "RETURN %2; END $$ LANGUAGE plpgsql")
                          .arg(t, row, m));
        ledger().exec(
            QStringLiteral(
                "CREATE TRIGGER refuse_%1 BEFORE %2 ON %1 FOR EACH ROW EXECUTE FUNCTION refuse_%1()")
                .arg(t, e));
    } else {
        ledger().exec(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %2 ON %1 WHEN %3.mon = '%4' "
                                     "BEGIN SELECT RAISE(ABORT, 'refused by test'); END")
                          .arg(t, e, row, m));
    }
}

int StatisticsTest::count(const QString& sqlWhere, const QVariantList& values)
{
    return ledger().scalar(QStringLiteral("SELECT count(*) FROM ") + sqlWhere, values).toInt();
}

void StatisticsTest::chooseYear(QWidget& window, const char* list, const QString& text)
{
    auto* ddlb = window.findChild<QComboBox*>(QString::fromLatin1(list));
    ASSERT_TRUE(ddlb) << list;
    ddlb->setEditText(text);
}

} // namespace qv::test
