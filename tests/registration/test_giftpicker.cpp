#include "giftformtest.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include "data/contactpicker.h"
#include "data/pinyin.h"
#include "platform/database/dialect.h"
#include "platform/database/transaction.h"
#include "platform/reports/units.h"

using namespace qv;

// The contact picker as the registration forms carry it.
class GiftPickerDb : public GiftFormTest
{
protected:
    void SetUp() override
    {
        GiftFormTest::SetUp();
        const QString sql = QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)");
        ledger().exec(sql, {QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("zs"),
                            QStringLiteral("同事")});
        ledger().exec(sql, {QStringLiteral("赵四"), QStringLiteral("男"), QStringLiteral("zs"),
                            QStringLiteral("亲戚")});
        ledger().exec(sql, {QStringLiteral("李正书"), QStringLiteral("女"), QStringLiteral("lzs"),
                            QStringLiteral("同学")});
        ledger().exec(sql, {QStringLiteral("王五"), QStringLiteral("男"), QStringLiteral("ww"),
                            QStringLiteral("朋友")});
    }

    QStringList listedNames(GiftForm& form)
    {
        QStringList names;
        QAbstractItemModel* model = picker(form)->model();
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 0).data().toString();
        names.sort();
        return names;
    }
};

TEST_P(GiftPickerDb, FindsContactsByPinyinInEitherCase)
{
    GiftForm& form = open(GiftKind::Received);
    QTableView* grid = picker(form);
    EXPECT_FALSE(grid->isVisible());
    const QStringList zs = {QStringLiteral("张三"), QStringLiteral("李正书"), QStringLiteral("赵四")};

    typeName(form, QStringLiteral("zs"));
    EXPECT_TRUE(grid->isVisible());
    EXPECT_EQ(form.pattern(), QStringLiteral("%zs%"));
    EXPECT_EQ(listedNames(form), zs);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Xb"));
    // The grid drops directly below the name field.
    EXPECT_EQ(grid->geometry().top() >= edit(form, "sle_2")->geometry().bottom(), true);

    typeName(form, QStringLiteral(" ZS "));
    EXPECT_EQ(form.pattern(), QStringLiteral("%ZS%"));
    EXPECT_EQ(listedNames(form), zs);

    // A Chinese name searches nothing and leaves the grid as it was.
    typeName(form, QStringLiteral("张三"));
    EXPECT_TRUE(grid->isVisible());
    EXPECT_EQ(form.pattern(), QStringLiteral("%ZS%"));
    EXPECT_EQ(edit(form, "sle_2")->text(), QStringLiteral("张三"));

    typeName(form, QStringLiteral("qx"));
    EXPECT_FALSE(grid->isVisible());

    // Leaving the field after a change searches as Enter does.
    QLineEdit* name = edit(form, "sle_2");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("lz"));
    EXPECT_FALSE(grid->isVisible());
    edit(form, "sle_3")->setFocus();
    EXPECT_TRUE(grid->isVisible());
    EXPECT_EQ(listedNames(form), QStringList{QStringLiteral("李正书")});
    typeName(form, QStringLiteral("qx"));
    typeName(form, QStringLiteral("李四"));
    EXPECT_FALSE(grid->isVisible());

    // Blanks ask for every contact that has a code.
    typeName(form, QStringLiteral("  "));
    EXPECT_EQ(form.pattern(), QStringLiteral("%%"));
    EXPECT_EQ(grid->model()->rowCount(), 4);

    // Enter without a change to the field does not search again.
    ledger().exec(QStringLiteral("DELETE FROM wlryb"));
    QTest::keyClick(edit(form, "sle_2"), Qt::Key_Return);
    EXPECT_EQ(grid->model()->rowCount(), 4);
}

// The picker searches its own index of the codes: for every kind of code and
// of typed text it finds the contacts the database's LIKE finds, no more, no
// fewer, and none twice.
TEST_P(GiftPickerDb, TheIndexFindsWhatTheDatabaseFinds)
{
    const QString sql = QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)");
    const QVariant noCode(QMetaType::fromType<QString>());
    const QList<QPair<const char*, QVariant>> contacts = {{"张珊珊", QStringLiteral("ZhangSS")},
                                                          {"孙思思", QStringLiteral("ssss")},
                                                          {"无码", noCode},
                                                          {"空码", QString()},
                                                          {"吕四", QStringLiteral("lüs")},
                                                          {"钱七", QStringLiteral("QQ7")}};
    for (const auto& [name, code] : contacts)
        ledger().exec(sql, {QString::fromUtf8(name), QStringLiteral("男"), code, QStringLiteral("同事")});
    ContactIndex index;
    ASSERT_TRUE(index.build(sqlca())) << sqlca().SQLErrText.toStdString();
    EXPECT_EQ(index.size(), 10);
    const QString like = QStringLiteral("SELECT xm FROM wlryb WHERE ") +
                         sqlca().dialect().likeIgnoringCase(QStringLiteral("py"));
    for (const char* typed :
         {"", "z", "ZS", "s", "ss", "sss", "zhangss", "ü", "lüs", "7", "q7", "x", "zsx"}) {
        QStringList expected;
        ASSERT_EQ(sqlca().selectRows(like, {QStringLiteral("%%1%").arg(QString::fromUtf8(typed))},
                                     [&expected](QVector<QVariant>&& row) { expected << row[0].toString(); }),
                  0);
        expected.sort();
        QStringList found;
        index.read(index.containing(QString::fromUtf8(typed)), [&found](const ResultRow& row) {
            found << row.value(0).toString();
            return true;
        });
        found.sort();
        EXPECT_EQ(found, expected) << "typed " << typed;
    }
}

// The index is read again once the contacts have changed, and only then.
TEST_P(GiftPickerDb, ChangedContactsAreFoundAtTheNextSearch)
{
    GiftForm& form = open(GiftKind::Received);
    typeName(form, QStringLiteral("zs"));
    EXPECT_EQ(listedNames(form).size(), 3);
    ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES ('周顺', '男', 'zs', '同学')"));
    contactsChanged();
    typeName(form, QStringLiteral("zs"));
    EXPECT_EQ(listedNames(form).size(), 4);
    EXPECT_TRUE(listedNames(form).contains(QStringLiteral("周顺")));
}

TEST_P(GiftPickerDb, EnterAndDoubleClickPickNameAndCategory)
{
    GiftForm& form = open(GiftKind::Received);
    QTableView* grid = picker(form);
    QLineEdit* name = edit(form, "sle_2");

    QTest::keyClicks(name, QStringLiteral("ww"));
    QTest::keyClick(name, Qt::Key_Down);
    ASSERT_TRUE(grid->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), grid);
    // The row that Enter would take is the one shown highlighted.
    const QModelIndexList highlighted = grid->selectionModel()->selectedRows();
    ASSERT_EQ(highlighted.size(), 1);
    EXPECT_EQ(highlighted.front().row(), grid->currentIndex().row());
    EXPECT_EQ(highlighted.front().row(), 0);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(name->text(), QStringLiteral("王五"));
    EXPECT_EQ(edit(form, "sle_3")->text(), QStringLiteral("朋友"));
    EXPECT_FALSE(grid->isVisible());
    EXPECT_TRUE(edit(form, "sle_3")->hasFocus());

    typeName(form, QStringLiteral("zs"));
    ASSERT_TRUE(grid->isVisible());
    const QModelIndex third = grid->model()->index(2, 0);
    const QString picked = third.data().toString();
    const QPoint at = grid->visualRect(third).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(name->text(), picked);
    EXPECT_FALSE(grid->isVisible());

    // Enter with no current row changes nothing.
    typeName(form, QStringLiteral("zs"));
    ASSERT_TRUE(grid->isVisible());
    grid->setCurrentIndex(QModelIndex());
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(name->text(), QStringLiteral("zs"));
    EXPECT_TRUE(grid->isVisible());
    EXPECT_TRUE(m_boxes->shown().isEmpty());
}

TEST_P(GiftPickerDb, TheGivenFormPicksFromItsTallerGrid)
{
    GiftForm& form = open(GiftKind::Given);
    QTableView* grid = picker(form);
    EXPECT_EQ(grid->height(), units::toPixelsY(512));
    typeName(form, QStringLiteral("lzs"));
    ASSERT_TRUE(grid->isVisible());
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Enter);
    EXPECT_EQ(edit(form, "sle_2")->text(), QStringLiteral("李正书"));
    EXPECT_EQ(edit(form, "sle_3")->text(), QStringLiteral("同学"));
    EXPECT_TRUE(edit(form, "sle_3")->hasFocus());

    typeAmount(form, QStringLiteral("20"));
    press(form, "cb_1");
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT xm || fw FROM rqwlb")), QStringLiteral("李正书同学"));
}

TEST_P(GiftPickerDb, NoSearchRunsWhileTheInputMethodComposes)
{
    GiftForm& form = open(GiftKind::Received);
    QLineEdit* name = edit(form, "sle_2");
    QTest::keyClicks(name, QStringLiteral("zs"));
    auto compose = [name](const QString& preedit, const QString& commit) {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QApplication::sendEvent(name, &event);
    };

    // Enter and the Down arrow both belong to the composition, not the search.
    compose(QStringLiteral("wu"), {});
    QTest::keyClick(name, Qt::Key_Return);
    QTest::keyClick(name, Qt::Key_Down);
    EXPECT_TRUE(form.pattern().isEmpty());
    EXPECT_FALSE(picker(form)->isVisible());

    // The composition given up, the typed letters search as usual.
    compose({}, {});
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(form.pattern(), QStringLiteral("%zs%"));
    EXPECT_TRUE(picker(form)->isVisible());

    // A committed Chinese name is taken as it is.
    name->clear();
    compose(QStringLiteral("zhangsan"), {});
    compose({}, QStringLiteral("张三"));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(name->text(), QStringLiteral("张三"));
    EXPECT_EQ(form.pattern(), QStringLiteral("%zs%"));
}

TEST_P(GiftPickerDb, OnlyTextUpToLowerZStartsASearch)
{
    GiftForm& form = open(GiftKind::Received);
    QTableView* grid = picker(form);
    const struct
    {
        const char* typed;
        bool searches;
    } cases[] = {
        {"zs", true},   {"`zs", true},  {"[zs", true},  {"_zs", true},  {"0", true}, // 122 and below
        {"{zs", false}, {"|zs", false}, {"}zs", false}, {"~zs", false},              // 123 to 126
    };
    // A skipped search leaves the grid as the last search left it, shown or hidden.
    for (const char* before : {"zs", "qx"}) {
        for (const auto& c : cases) {
            typeName(form, QString::fromLatin1(before));
            const bool shown = grid->isVisible();
            typeName(form, QString::fromLatin1(c.typed));
            const QString expected = c.searches ? QStringLiteral("%") + QString::fromLatin1(c.typed) + u'%'
                                                : QStringLiteral("%") + QString::fromLatin1(before) + u'%';
            EXPECT_EQ(form.pattern(), expected) << before << " then " << c.typed;
            if (!c.searches) {
                EXPECT_EQ(grid->isVisible(), shown) << before << " then " << c.typed;
            }
        }
    }
    EXPECT_TRUE(m_boxes->shown().isEmpty());
}

TEST_P(GiftPickerDb, NamesNotAllChineseAreFoundByWhatTheyAreTypedAs)
{
    PinyinTable table;
    ASSERT_TRUE(table.load(sqlca()));
    for (const QString& name : {QStringLiteral("Tom"), QStringLiteral("O'Neil"), QStringLiteral("张A")})
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, py) VALUES (?, ?, ?)"),
                      {name, QStringLiteral("男"), table.initials(name)});

    GiftForm& form = open(GiftKind::Received);
    const struct
    {
        const char* typed;
        QStringList listed;
    } cases[] = {
        {"tom", {QStringLiteral("Tom")}},
        {"TOM", {QStringLiteral("Tom")}},
        {"neil", {QStringLiteral("O'Neil")}},
        {"za", {QStringLiteral("张A")}},
    };
    for (const auto& c : cases) {
        typeName(form, QString::fromLatin1(c.typed));
        ASSERT_TRUE(picker(form)->isVisible()) << c.typed;
        EXPECT_EQ(listedNames(form), c.listed) << c.typed;
    }
}

// Initials still showing matches are no name yet: 存档 asks before the gift
// is filed under the letters, and 否 stores nothing.
TEST_P(GiftPickerDb, SavingInitialsInsteadOfAPickedNameAsksFirst)
{
    GiftForm& form = open(GiftKind::Received);
    typeName(form, QStringLiteral("zs"));
    ASSERT_TRUE(picker(form)->isVisible());
    typeAmount(form, QStringLiteral("200"));
    m_boxes->clear();
    m_boxes->queueAnswer(2);
    press(form, "cb_1");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_TRUE(m_boxes->shown()[0].text.contains(QStringLiteral("拼音首码")))
        << m_boxes->shown()[0].text.toStdString();
    EXPECT_EQ(m_boxes->shown()[0].defaultButton, 2);
    EXPECT_EQ(rowCount(), 0) << "否 stores nothing";
    EXPECT_EQ(edit(form, "sle_2")->text(), QStringLiteral("zs"));

    m_boxes->clear();
    m_boxes->queueAnswer(1);
    press(form, "cb_1");
    EXPECT_EQ(rowCount(), 1) << "是 stores the letters as typed";
}

QV_LEDGER_TEST_SUITE(GiftPickerDb);
