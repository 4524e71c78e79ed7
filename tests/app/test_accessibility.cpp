#include "support/testledger.h"

#include "app/halt.h"
#include "app/mainwindow.h"
#include "app/sheets.h"
#include "platform/core/messagebox.h"

#include <QAccessible>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

#include <algorithm>

using namespace qv;

namespace {

// Every text the accessibility tree under `root` offers, as a screen
// reader walking it would come upon them.
void collectTexts(QAccessibleInterface* node, QStringList& into, int depth = 0)
{
    if (!node || depth > 40)
        return;
    if (node->state().invisible)
        return;
    for (auto kind : {QAccessible::Name, QAccessible::Value})
        if (const QString t = node->text(kind); !t.isEmpty())
            into << t;
    for (int i = 0; i < node->childCount(); ++i)
        collectTexts(node->child(i), into, depth + 1);
}

} // namespace

class TotalsAccessibleDb : public qv::test::LedgerTest
{
};

TEST_P(TotalsAccessibleDb, EveryReportWindowOffersItsTotalsToAScreenReader)
{
    installScriptedMessageBoxes();
    setHaltHandler([] {});
    registerTaskWindows();
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    const QString sql = QStringLiteral("INSERT INTO rqwlb (xtbh, xm, fw, lx, sy, dx, je, wp, sj, sq) VALUES "
                                       "(?, ?, '同事', ?, '结婚', '本人', ?, '', ?, ?)");
    ledger().exec(sql, {QStringLiteral("000000000001"), QStringLiteral("张三"), QStringLiteral("收情"),
                        QStringLiteral("812.50"), today, today});
    ledger().exec(sql, {QStringLiteral("000000000002"), QStringLiteral("张三"), QStringLiteral("送情"),
                        QStringLiteral("-300.00"), today, today});

    const struct
    {
        const char* window;
        const char* name; // typed into sle_1 where the window asks for one
        const char* expected;
    } cases[] = {
        {"w_ldpy", "张三", "共计： 812.50 元"},       {"w_sgsh", "张三", "共计： -300.00 元"},
        {"w_lwcx", "张三", "共计： 512.50 元"},       {"w_dbcl", nullptr, "共计： 812.50 元"},
        {"w_wjfx", nullptr, "共计： -300.00 元"},     {"w_fwcx", nullptr, "共计： 512.50 元"},
        {"w_wlye", nullptr, "共计： 812.50"},         {"w_jlk_wh", "张三", "共计： 512.50 元"},
        {"w_ndtj", nullptr, "进出平衡金额： 512.50"},
    };
    MainWindow frame(sqlca());
    frame.resize(1600, 1000);
    frame.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window);
        const bool sheet = QByteArray(c.window) != "w_ndtj";
        QWidget* window =
            sheet ? frame.openSheet(QLatin1String(c.window)) : frame.openResponse(QLatin1String(c.window));
        ASSERT_TRUE(window);
        if (auto* year = window->findChild<QComboBox*>(QStringLiteral("ddlb_1")))
            year->setEditText(QString::number(QDate::currentDate().year()));
        if (c.name)
            window->findChild<QLineEdit*>(QStringLiteral("sle_1"))->setText(QString::fromUtf8(c.name));
        auto* query = window->findChild<QPushButton*>(QStringLiteral("cb_1"));
        ASSERT_TRUE(query);
        query->click();
        QCoreApplication::processEvents();

        QStringList texts;
        collectTexts(QAccessible::queryAccessibleInterface(window), texts);
        const QString expected = QString::fromUtf8(c.expected);
        const bool found =
            std::any_of(texts.cbegin(), texts.cend(), [&](const QString& t) { return t.contains(expected); });
        EXPECT_TRUE(found) << texts.join(u'|').toStdString();
        if (sheet)
            frame.sheetFrame(QLatin1String(c.window))->close();
        else
            window->close();
        QCoreApplication::processEvents();
    }
    setHaltHandler({});
}

QV_LEDGER_TEST_SUITE(TotalsAccessibleDb);
