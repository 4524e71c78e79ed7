#include "giftformtest.h"

#include "app/loginwindow.h"
#include "platform/core/globals.h"

#include <QTest>

using namespace qv;

namespace {

// Each case runs on a fresh ledger reached only through ODBC.
class OdbcRoad : public GiftFormTest
{
protected:
    void SetUp() override
    {
        GiftFormTest::SetUp();
        ASSERT_EQ(sqlca().dialect().dbms(), Dbms::ODBC);
    }
};

} // namespace

TEST_P(OdbcRoad, TheOperatorLogsIn)
{
    auto* window = new LoginWindow(sqlca());
    int opened = 0;
    window->setMainOpener([&](Transaction&) -> QWidget* {
        ++opened;
        return nullptr;
    });
    window->show();
    auto* code = window->findChild<QLineEdit*>(QStringLiteral("sle_1"));
    auto* password = window->findChild<QLineEdit*>(QStringLiteral("sle_2"));
    auto* ok = window->findChild<QPushButton*>(QStringLiteral("cb_1"));
    ASSERT_TRUE(code && password && ok);
    QTest::keyClicks(code, QStringLiteral("7063"));
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(code->text(), QStringLiteral("管理员")) << "the name looked up by the code";
    password->setText(QStringLiteral("7063"));
    ok->click();
    EXPECT_TRUE(m_boxes->shown().isEmpty()) << m_boxes->texts().join(u'|').toStdString();
    EXPECT_EQ(opened, 1);
    delete window;
}

TEST_P(OdbcRoad, AGiftIsSavedAndReadBackExactly)
{
    GiftForm& form = open(GiftKind::Given);
    typeName(form, QStringLiteral("欧阳东方明珠塔楼"));
    typeAmount(form, QStringLiteral("1250.05"));
    press(form, "cb_1");
    ASSERT_EQ(shownTexts(), QStringList{QStringLiteral("数据保存成功!")});
    EXPECT_EQ(storedAmount(QStringLiteral("030501090807")), Money::fromCents(-125005));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT xm FROM rqwlb")).toString().trimmed(),
              QStringLiteral("欧阳东方明珠塔楼"));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT sq FROM rqwlb")).toString().trimmed(),
              QStringLiteral("20030501"));
}

TEST_P(OdbcRoad, ContactSearchIgnoresCase)
{
    ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, py) VALUES (?, ?, ?)"),
                  {QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("zs")});
    QVariantList row;
    for (const char* typed : {"ZS%", "zs%", "Zs%"}) {
        ASSERT_EQ(sqlca().selectInto(QStringLiteral("SELECT xm FROM wlryb WHERE ") +
                                         sqlca().dialect().likeIgnoringCase(QStringLiteral("py")),
                                     {QString::fromLatin1(typed)}, row),
                  0)
            << typed << ": " << sqlca().SQLErrText.toStdString();
        EXPECT_EQ(row.front().toString().trimmed(), QStringLiteral("张三"));
    }
}

QV_ODBC_TEST_SUITE(OdbcRoad);
