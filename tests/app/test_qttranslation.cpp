#include "platform/widgets/qtmessagebox.h"
#include "platform/widgets/qttranslation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace qv;

namespace {

QString undo()
{
    return QCoreApplication::translate("QLineEdit", "&Undo");
}

// Qt's translation stays installed only for the test that asked for it.
class QtTranslation : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (QTranslator* t : qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
};

} // namespace

TEST_F(QtTranslation, QtsOwnTextsAreChineseAndAMissingCatalogueChangesNothing)
{
    QTemporaryDir empty;
    EXPECT_FALSE(installQtTranslation(*qApp, empty.path()));
    EXPECT_EQ(undo(), QStringLiteral("&Undo"));
    EXPECT_TRUE(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly).isEmpty())
        << "nothing left behind";

    ASSERT_TRUE(installQtTranslation(*qApp)) << "the package qt6-translations-l10n is missing";
    EXPECT_EQ(undo(), QStringLiteral("撤消(&U)"));
    // From the catalogues that load with the first: the file dialog's and the print dialog's.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    EXPECT_NE(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Print"));
}

// The message boxes name their buttons themselves; Qt's translation must not
// turn them into its own words.
TEST_F(QtTranslation, MessageBoxButtonsKeepTheirNames)
{
    ASSERT_TRUE(installQtTranslation(*qApp));
    struct Case
    {
        Buttons buttons;
        QStringList names;
    };
    const Case cases[] = {
        {Buttons::OK, {QStringLiteral("确定")}},
        {Buttons::OKCancel, {QStringLiteral("确定"), QStringLiteral("取消")}},
        {Buttons::YesNo, {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}},
        {Buttons::YesNoCancel, {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"), QStringLiteral("取消")}},
    };
    for (const Case& c : cases) {
        QStringList shown;
        QTimer::singleShot(0, qApp, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            for (QAbstractButton* b : box->buttons())
                shown << b->text();
            box->buttons().constFirst()->click();
        });
        QtMessageBoxService().show(
            {QStringLiteral("提示"), QStringLiteral("?"), Icon::Question, c.buttons, 1});
        shown.sort();
        QStringList expected = c.names;
        expected.sort();
        EXPECT_EQ(shown, expected);
    }
}
