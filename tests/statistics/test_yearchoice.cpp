#include "statistics/yearchoice.h"

#include "app/sheets.h"
#include "platform/database/transaction.h"

#include <QComboBox>
#include <QDate>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qv;

TEST(StatisticsYears, KeepTheOldYearsAndReachThisYear)
{
    const struct
    {
        int current;
        QString first, last;
        int size;
    } cases[] = {{2026, "2003", "2026", 24}, {2010, "2003", "2010", 8}, {2008, "2003", "2010", 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.current);
        const QStringList years = statisticsYears(c.current);
        EXPECT_EQ(years.size(), c.size);
        EXPECT_EQ(years.value(0), c.first);
        EXPECT_EQ(years.value(7), "2010");
        EXPECT_EQ(years.value(years.size() - 1), c.last);
    }
    QWidget parent;
    QComboBox* list = createYearList("ddlb_1", "2001", &parent);
    EXPECT_EQ(list->currentText(), "2001");
    EXPECT_EQ(list->itemText(list->count() - 1), QString::number(QDate::currentDate().year()));
}

TEST(ParseYear, TakesFourBytesOfNumberWithoutTheBlanks)
{
    const struct
    {
        QString typed;
        std::optional<QString> year;
    } cases[] = {
        {"2004", "2004"},           {"  2004\t", "2004"},     {"12.5", "12.5"},       {"1999", "1999"},
        {"24", std::nullopt},       {"2004年", std::nullopt}, {"", std::nullopt},     {"    ", std::nullopt},
        {"20 4", std::nullopt},     {"abcd", std::nullopt},   {"-inf", std::nullopt}, {"1e10", std::nullopt},
        {"２００４", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseYear(c.typed), c.year) << c.typed.toStdString();
}

TEST(StatisticsMenu, OpensTheThreeWindowsByTheirNames)
{
    registerTaskWindows();
    Transaction unconnected;
    for (const char* name : {"w_ndtj", "w_tjfx", "w_lsk_wh"}) {
        SCOPED_TRACE(name);
        const WindowFactory factory = windowFactory(QString::fromLatin1(name));
        ASSERT_TRUE(factory);
        std::unique_ptr<QWidget> window(factory(unconnected));
        ASSERT_TRUE(window);
        EXPECT_EQ(window->objectName(), QString::fromLatin1(name));
    }
}
