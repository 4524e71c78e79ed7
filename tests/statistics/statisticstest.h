#pragma once

#include "support/testledger.h"
#include "support/widgetinput.h"

#include "platform/core/messagebox.h"
#include "platform/core/money.h"

#include <QComboBox>
#include <QPushButton>
#include <QWidget>

namespace qv::test {

// A ledger with scripted message boxes and the small steps the statistics
// tests share: gifts in rqwlb, archived months, clicks and typed years.
class StatisticsTest : public LedgerTest
{
protected:
    void SetUp() override;

    bool onPostgreSQL() const { return m_ledger->dbms() == QStringLiteral("PostgreSQL"); }

    // A gift as the registration stores it: given amounts negative.
    void addGift(const QString& kind, const char* amount, const char* date);
    void addReceived(const char* amount, const char* date) { addGift(QStringLiteral("收情"), amount, date); }
    void addGiven(const char* amount, const char* date) { addGift(QStringLiteral("送情"), amount, date); }
    // Twelve archived months of `year`, each with sou 100 × month.
    void archiveYear(const char* year);

    // Makes the database refuse the named statement on `table` with the
    // reason "refused by test" for rows whose mon is `mon`.
    void refuseOn(const char* event, const char* table, const char* mon);

    int count(const QString& sqlWhere, const QVariantList& values = {});

    static void chooseYear(QWidget& window, const char* list, const QString& text);

    ScriptedMessageBoxes* m_boxes = nullptr;

private:
    int m_next = 0;
};

} // namespace qv::test

// Readable failures: amounts and texts as the operator would read them.
namespace qv {
inline void PrintTo(const Money& money, std::ostream* os)
{
    *os << money.format(u"0.00").toStdString();
}
} // namespace qv
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
