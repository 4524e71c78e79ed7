#include "support/testledger.h"

#include "data/lookups.h"

#include <QComboBox>

using namespace qv;

class LookupListsDb : public qv::test::LedgerTest
{
protected:
    static QStringList items(const QComboBox& box)
    {
        QStringList out;
        for (int i = 0; i < box.count(); ++i)
            out << box.itemText(i);
        return out;
    }
};

TEST_P(LookupListsDb, AppendsEveryReasonAndShowsTheLastFetched)
{
    ledger().exec(QStringLiteral("DELETE FROM syb"));
    ledger().exec(QStringLiteral("INSERT INTO syb (sy) VALUES (?)"), {QStringLiteral("结婚")});
    ledger().exec(QStringLiteral("INSERT INTO syb (sy) VALUES (?)"), {QStringLiteral("生日")});

    QComboBox box;
    box.setEditable(true);
    EXPECT_EQ(uf_get_sy(box, sqlca()), 1);
    QStringList listed = items(box);
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(box.currentText(), listed.last());
    listed.sort();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("生日"), QStringLiteral("结婚")}));

    // The list is never emptied first: a second call appends again.
    EXPECT_EQ(uf_get_sy(box, sqlca()), 1);
    EXPECT_EQ(box.count(), 4);

    // Without the table the list keeps what it has and still answers 1.
    ledger().exec(QStringLiteral("DROP TABLE syb"));
    EXPECT_EQ(uf_get_sy(box, sqlca()), 1);
    EXPECT_EQ(box.count(), 4);
    EXPECT_EQ(box.currentText(), QString());
}

TEST_P(LookupListsDb, AnEmptyTableLeavesTheListEmpty)
{
    ledger().exec(QStringLiteral("DELETE FROM syb"));
    QComboBox box;
    box.setEditable(true);
    box.setEditText(QStringLiteral("升职"));
    EXPECT_EQ(uf_get_sy(box, sqlca()), 1);
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.currentText(), QString());

    QComboBox objects;
    EXPECT_EQ(uf_get_dx(objects, sqlca()), 1);
    EXPECT_EQ(objects.count(), ledger().scalar(QStringLiteral("SELECT count(*) FROM dxb")).toInt());
    EXPECT_TRUE(items(objects).contains(QStringLiteral("本人")));
}

QV_LEDGER_TEST_SUITE(LookupListsDb);
