#include "support/testledger.h"

#include "app/initdb.h"
#include "app/pack.h"
#include "platform/messagebox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

using namespace qv;

namespace {

// Runs the start-up in `dir` with a stand-in login window.
struct StartUp
{
    bool loginOpened = false;
    ScriptedMessageBoxes* boxes = nullptr;

    bool run(const QString& dir, Transaction& t)
    {
        boxes = &installScriptedMessageBoxes();
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir);
        Pack pack(t);
        QWidget login;
        pack.setLoginOpener([&](Transaction&) {
            loginOpened = true;
            return &login;
        });
        const bool opened = pack.open() != nullptr;
        QDir::setCurrent(previous);
        return opened;
    }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

} // namespace

TEST(StartUp, EachUnusableProfileShowsCannotConnectAndOpensNoWindow)
{
    const QList<std::pair<QByteArray, QString>> cases = {
        {QByteArray(), QStringLiteral("pb.ini")}, // no file at all
        {"[database]\ndbms=Oracle9\n", QStringLiteral("Oracle9")},
        {"[database]\ndbms=SQLite\ndatabase=typo/ledger.db\n", QStringLiteral("ledger.db")},
        {QByteArray("\0\0\x13garbage", 10), QStringLiteral("pb.ini")},
        {"[database]\ndbms=PostgreSQL\nservername=127.0.0.1:1\ndatabase=ledger\nlogid=nobody\n", QString()},
    };
    for (const auto& [profile, mentioned] : cases) {
        QTemporaryDir dir;
        if (!profile.isNull())
            writeFile(dir.filePath(QStringLiteral("pb.ini")), profile);
        Transaction t;
        StartUp s;
        EXPECT_FALSE(s.run(dir.path(), t));
        EXPECT_FALSE(s.loginOpened);
        EXPECT_FALSE(t.isConnected());
        ASSERT_EQ(s.boxes->shown().size(), 1);
        EXPECT_EQ(s.boxes->shown()[0].title, QStringLiteral("不能连接数据库"));
        EXPECT_FALSE(s.boxes->shown()[0].text.isEmpty());
        EXPECT_TRUE(s.boxes->shown()[0].text.contains(mentioned)) << s.boxes->shown()[0].text.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("typo/ledger.db"))));
    }
}

TEST(StartUp, InitDbCreatesTheLedgerOnceAndRefusesToTouchItAgain)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("pb.ini")), "[database]\r\ndbms=SQLite\r\ndatabase=ledger.db\r\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(runInitDb(out, err), 0) << errText.toStdString();
    EXPECT_TRUE(outText.contains(QStringLiteral("pym")));
    const qint64 size = QFileInfo(dir.filePath(QStringLiteral("ledger.db"))).size();
    EXPECT_GT(size, 0);
    EXPECT_NE(runInitDb(out, err), 0);
    EXPECT_TRUE(errText.contains(QStringLiteral("rqwlb")));
    QDir::setCurrent(previous);

    Transaction t;
    StartUp s;
    EXPECT_TRUE(s.run(dir.path(), t)) << "a profile without [other] starts normally";
    EXPECT_TRUE(s.loginOpened);
    EXPECT_TRUE(s.boxes->shown().isEmpty());
}

class StartUpDb : public qv::test::LedgerTest
{
};

TEST_P(StartUpDb, AGoodProfileConnectsAndOpensTheLoginWindow)
{
    ledger().writeProfile();
    Transaction t;
    StartUp s;
    EXPECT_TRUE(s.run(ledger().workDir(), t));
    EXPECT_TRUE(s.loginOpened);
    EXPECT_TRUE(t.isConnected());
    EXPECT_TRUE(s.boxes->shown().isEmpty());
}

QV_LEDGER_TEST_SUITE(StartUpDb);
