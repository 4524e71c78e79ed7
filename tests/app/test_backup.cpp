#include "support/testledger.h"

#include "app/commands/backupcommand.h"
#include "app/ledgermenu.h"
#include "app/mainwindow.h"
#include "app/sheets.h"
#include "data/ledgerfile.h"
#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/database/ledgerbackup.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <thread>

using namespace qv;

namespace {

class CurrentDir
{
public:
    explicit CurrentDir(const QString& dir) : m_old(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~CurrentDir() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

struct CommandRun
{
    int code = -1;
    QString out;
    QString err;
};

CommandRun backupCommand(const QString& dir, const QString& file)
{
    CurrentDir cd(dir);
    CommandRun run;
    QTextStream out(&run.out), err(&run.err);
    run.code = runBackup(file, out, err);
    return run;
}

QByteArray digest(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The record numbers in an SQLite ledger file, read through a connection of
// its own; "unreadable" when it cannot be read.
QStringList recordsIn(const QString& file)
{
    Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = file;
    if (!t.connect())
        return {QStringLiteral("unreadable")};
    QStringList numbers;
    t.selectRows(QStringLiteral("SELECT xtbh FROM rqwlb ORDER BY xtbh"), {},
                 [&](QVector<QVariant>&& row) { numbers << row[0].toString(); });
    return numbers;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A sheet holding typed input it cannot save: closing it asks, and Cancel
// keeps it open.
class UnsavedSheet : public QWidget
{
protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (confirmUnsavedChanges(true, [] { return false; }))
            event->accept();
        else
            event->ignore();
    }
};

class LedgerBackup : public test::LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        ledger().writeProfile();
        m_boxes = &installScriptedMessageBoxes();
        m_dialogs = &installScriptedFileDialogs();
    }
    void TearDown() override
    {
        FileDialogService::install(nullptr);
        LedgerTest::TearDown();
    }
    bool onSQLite() const { return m_ledger->dbms() == u"SQLite"; }
    QString path(const QString& name) const { return QDir(m_ledger->workDir()).filePath(name); }
    QString ledgerFile() const { return path(QStringLiteral("ledger.db")); }
    void addGift(const QString& number, Transaction& t)
    {
        ASSERT_EQ(t.execute(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES (?, ?, ?, ?, ?)"),
                            {number, QStringLiteral("张三"), QStringLiteral("收情"), QStringLiteral("100.00"),
                             QStringLiteral("20240101")}),
                  0)
            << t.SQLErrText.toStdString();
    }
    void addCommittedGift(const QString& number)
    {
        addGift(number, sqlca());
        ASSERT_TRUE(sqlca().commit());
    }
    QStringList ledgerFiles() const
    {
        return QDir(m_ledger->workDir()).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    }

    ScriptedMessageBoxes* m_boxes = nullptr;
    ScriptedFileDialogs* m_dialogs = nullptr;
};

TEST_P(LedgerBackup, CopyTakenDuringAnOpenWriteHoldsTheCommittedRowsOnly)
{
    addCommittedGift(QStringLiteral("240101000001"));
    addCommittedGift(QStringLiteral("240101000002"));
    // The program, open on the same ledger, in the middle of a save.
    Transaction writer;
    ledger().configure(writer);
    ASSERT_TRUE(writer.connect());
    addGift(QStringLiteral("240101000003"), writer);

    const CommandRun run = backupCommand(m_ledger->workDir(), QStringLiteral("copy.db"));
    if (!onSQLite()) {
        // A server's ledger is the server's to back up.
        EXPECT_EQ(run.code, 3);
        EXPECT_TRUE(run.err.contains(QStringLiteral("pg_dump"))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("copy.db"))));
        return;
    }
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(path(QStringLiteral("copy.db")))) << run.out.toStdString();
    EXPECT_EQ(checkLedgerFile(path(QStringLiteral("copy.db"))), std::nullopt);
    EXPECT_EQ(recordsIn(path(QStringLiteral("copy.db"))),
              (QStringList{QStringLiteral("240101000001"), QStringLiteral("240101000002")}));
    // The writer was neither stopped nor disturbed.
    ASSERT_TRUE(writer.commit()) << writer.SQLErrText.toStdString();
    EXPECT_EQ(recordsIn(ledgerFile()).size(), 3);
}

TEST_P(LedgerBackup, MenuProposesATimestampedCopyBesideTheLedgerAndNeverOverwrites)
{
    MainWindow frame(sqlca());
    registerLedgerCommands();
    frame.findChild<QAction*>(QStringLiteral("m_2_9"))->trigger();
    if (!onSQLite()) {
        ASSERT_EQ(m_boxes->shown().size(), 1);
        EXPECT_TRUE(m_boxes->shown()[0].text.contains(QStringLiteral("pg_dump")));
        EXPECT_TRUE(m_dialogs->shown().isEmpty());
        return;
    }
    // Cancelled: nothing written, nothing said.
    ASSERT_EQ(m_dialogs->shown().size(), 1);
    const FileDialogRequest proposal = m_dialogs->shown()[0];
    EXPECT_EQ(proposal.mode, FileDialogMode::Save);
    EXPECT_EQ(QFileInfo(proposal.path).absolutePath(), QFileInfo(ledgerFile()).absolutePath());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^ledger-\\d{8}-\\d{6}\\.db$"))
                    .match(QFileInfo(proposal.path).fileName())
                    .hasMatch())
        << proposal.path.toStdString();
    EXPECT_TRUE(m_boxes->shown().isEmpty());
    EXPECT_EQ(ledgerFiles(), QStringList{QStringLiteral("ledger.db")});

    addCommittedGift(QStringLiteral("240101000001"));
    m_dialogs->queueAnswer(proposal.path);
    frame.findChild<QAction*>(QStringLiteral("m_2_9"))->trigger();
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].icon, Icon::Information);
    EXPECT_TRUE(m_boxes->shown()[0].text.contains(QDir::toNativeSeparators(proposal.path)));
    EXPECT_EQ(recordsIn(proposal.path), QStringList{QStringLiteral("240101000001")});

    // The same name again: refused, the first backup untouched.
    const QByteArray before = digest(proposal.path);
    addCommittedGift(QStringLiteral("240101000002"));
    m_dialogs->queueAnswer(proposal.path);
    frame.findChild<QAction*>(QStringLiteral("m_2_9"))->trigger();
    ASSERT_EQ(m_boxes->shown().size(), 2);
    EXPECT_EQ(m_boxes->shown()[1].icon, Icon::StopSign);
    EXPECT_TRUE(m_boxes->shown()[1].text.contains(QStringLiteral("已经存在")));
    EXPECT_EQ(digest(proposal.path), before);
}

TEST_P(LedgerBackup, BackupsBesideTheLedgerWithinOneSecondKeepBoth)
{
    const QDateTime when(QDate(2026, 12, 8), QTime(6, 15, 0));
    const BackupResult first = backupBesideLedger(sqlca(), when);
    if (!onSQLite()) {
        EXPECT_FALSE(first.ok);
        return;
    }
    addCommittedGift(QStringLiteral("240101000001"));
    const BackupResult second = backupBesideLedger(sqlca(), when);
    ASSERT_TRUE(first.ok && second.ok) << first.error.toStdString() << second.error.toStdString();
    EXPECT_EQ(QFileInfo(first.file).fileName(), QStringLiteral("ledger-20261208-061500.db"));
    EXPECT_NE(first.file, second.file);
    EXPECT_TRUE(recordsIn(first.file).isEmpty());
    EXPECT_EQ(recordsIn(second.file), QStringList{QStringLiteral("240101000001")});
}

// Runs one statement on the SQLite file `f` and commits it.
void changeFile(const QString& f, const QString& sql,
                Transaction::OpenMode mode = Transaction::OpenMode::ExistingOnly)
{
    Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = f;
    ASSERT_TRUE(t.connect(mode));
    ASSERT_EQ(t.execute(sql), 0);
    ASSERT_TRUE(t.commit());
}

// What a restore may be offered that is not a ledger of this program.
struct NotALedger
{
    const char* what;
    std::function<void(const QString& file, const QString& ledger)> make;
};

const NotALedger kNotLedgers[] = {
    {"a text file", [](const QString& f, const QString&) { writeFile(f, "收情 张三 100\n"); }},
    {"an empty file", [](const QString& f, const QString&) { writeFile(f, {}); }},
    {"another program's database",
     [](const QString& f, const QString&) {
         changeFile(f, QStringLiteral("CREATE TABLE notes (id integer, body text)"),
                    Transaction::OpenMode::CreateSQLiteFile);
     }},
    {"a ledger without one of its tables",
     [](const QString& f, const QString& ledger) {
         ASSERT_TRUE(backupSqliteDatabase(ledger, f).ok);
         changeFile(f, QStringLiteral("DROP TABLE pym"));
     }},
    {"a ledger without one of its columns",
     [](const QString& f, const QString& ledger) {
         ASSERT_TRUE(backupSqliteDatabase(ledger, f).ok);
         changeFile(f, QStringLiteral("ALTER TABLE wlryb DROP COLUMN dz"));
     }},
    {"a ledger cut short",
     [](const QString& f, const QString& ledger) {
         ASSERT_TRUE(backupSqliteDatabase(ledger, f).ok);
         QFile file(f);
         ASSERT_TRUE(file.resize(file.size() / 2));
     }},
};

TEST_P(LedgerBackup, RestoreRefusesWhatIsNotALedgerAndChangesNothing)
{
    MainWindow frame(sqlca());
    frame.show();
    registerLedgerCommands();
    registerWindow(QStringLiteral("w_test_sheet"), [](Transaction&) { return new QWidget; });
    QPointer<QWidget> sheet = frame.openSheet(QStringLiteral("w_test_sheet"));
    addCommittedGift(QStringLiteral("240101000001"));
    if (!onSQLite()) {
        frame.findChild<QAction*>(QStringLiteral("m_2_10"))->trigger();
        ASSERT_EQ(m_boxes->shown().size(), 1);
        EXPECT_TRUE(m_boxes->shown()[0].text.contains(QStringLiteral("pg_restore")));
        EXPECT_TRUE(m_dialogs->shown().isEmpty());
        unregisterWindow(QStringLiteral("w_test_sheet"));
        return;
    }
    const QByteArray ledgerBefore = digest(ledgerFile());
    for (const NotALedger& c : kNotLedgers) {
        SCOPED_TRACE(c.what);
        const QString candidate = path(QStringLiteral("candidate-%1.db").arg(qHash(QLatin1String(c.what))));
        c.make(candidate, ledgerFile());
        const QStringList filesBefore = ledgerFiles();
        m_boxes->clear();
        m_dialogs->queueAnswer(candidate);
        frame.findChild<QAction*>(QStringLiteral("m_2_10"))->trigger();

        ASSERT_EQ(m_boxes->shown().size(), 1);
        EXPECT_EQ(m_boxes->shown()[0].icon, Icon::StopSign);
        EXPECT_TRUE(m_boxes->shown()[0].text.contains(QStringLiteral("不是本程序的账本")))
            << m_boxes->shown()[0].text.toStdString();
        EXPECT_EQ(digest(ledgerFile()), ledgerBefore);
        EXPECT_EQ(ledgerFiles(), filesBefore);
        EXPECT_TRUE(sheet && sheet->isVisible());
        EXPECT_TRUE(sqlca().isConnected());
    }
    unregisterWindow(QStringLiteral("w_test_sheet"));
}

TEST_P(LedgerBackup, RestoreBringsTheBackupBackAndKeepsTheReplacedLedger)
{
    if (!onSQLite())
        GTEST_SKIP() << "restoring from a file is for SQLite ledgers; the refusal is tested above";
    MainWindow frame(sqlca());
    frame.show();
    registerLedgerCommands();
    registerWindow(QStringLiteral("w_test_sheet"), [](Transaction&) { return new UnsavedSheet; });
    QAction* restore = frame.findChild<QAction*>(QStringLiteral("m_2_10"));

    addCommittedGift(QStringLiteral("240101000001"));
    const QString backup = path(QStringLiteral("saved.db"));
    ASSERT_TRUE(backupSqliteDatabase(ledgerFile(), backup).ok);
    addCommittedGift(QStringLiteral("240101000002"));
    QPointer<QWidget> sheet = frame.openSheet(QStringLiteral("w_test_sheet"));
    const QByteArray ledgerBefore = digest(ledgerFile());

    struct Attempt
    {
        const char* what;
        QList<int> answers; // the restore question, then the sheet's unsaved-changes question
        bool restored;
    };
    const Attempt attempts[] = {
        {"question answered No", {2}, false},
        {"the sheet's question answered Cancel", {1, 3}, false},
        {"the sheet's changes dropped", {1, 2}, true},
    };
    for (const Attempt& a : attempts) {
        SCOPED_TRACE(a.what);
        m_boxes->clear();
        for (int answer : a.answers)
            m_boxes->queueAnswer(answer);
        m_dialogs->queueAnswer(backup);
        restore->trigger();
        QCoreApplication::processEvents();

        ASSERT_GE(m_boxes->shown().size(), 1);
        const ShownMessage question = m_boxes->shown()[0];
        const auto match =
            QRegularExpression(
                QStringLiteral("^恢复将用备份替换当前账本，当前账本先另存为 (.+) 。是否继续？$"))
                .match(question.text);
        ASSERT_TRUE(match.hasMatch()) << question.text.toStdString();
        EXPECT_EQ(question.icon, Icon::Question);
        EXPECT_EQ(question.defaultButton, 2);
        const QString keptAs = match.captured(1);
        if (!a.restored) {
            EXPECT_EQ(digest(ledgerFile()), ledgerBefore);
            EXPECT_FALSE(QFile::exists(keptAs));
            EXPECT_TRUE(sheet && sheet->isVisible());
            continue;
        }
        EXPECT_FALSE(sheet && sheet->isVisible());
        ASSERT_TRUE(sqlca().isConnected());
        QVariantList row;
        ASSERT_EQ(sqlca().selectInto(QStringLiteral("SELECT count(*) FROM rqwlb"), {}, row), 0);
        EXPECT_EQ(row.value(0).toInt(), 1);
        EXPECT_EQ(recordsIn(ledgerFile()), QStringList{QStringLiteral("240101000001")});
        EXPECT_EQ(recordsIn(keptAs),
                  (QStringList{QStringLiteral("240101000001"), QStringLiteral("240101000002")}));
        EXPECT_EQ(checkLedgerFile(keptAs), std::nullopt);
        EXPECT_EQ(m_boxes->shown().back().icon, Icon::Information);
        EXPECT_TRUE(m_boxes->shown().back().text.contains(keptAs));
    }
    unregisterWindow(QStringLiteral("w_test_sheet"));
}

QV_LEDGER_TEST_SUITE(LedgerBackup);

// The command's refusals, each with the exit code a script can test and the
// reason on standard error; FILE is never left half-written.
TEST(BackupCommand, RefusesWithAReasonAndWritesNothing)
{
    struct Case
    {
        const char* what;
        const char* profile; // pb.ini; nullptr: none
        std::function<void(const QString& dir)> prepare;
        int code;
        const char* reason;
    };
    const Case cases[] = {
        {"FILE already exists", "[database]\ndbms=SQLite\ndatabase=ledger.db\n",
         [](const QString& dir) {
             writeFile(QDir(dir).filePath(QStringLiteral("out.db")), "an older backup");
         },
         1, "已经存在"},
        {"the ledger is not a database", "[database]\ndbms=SQLite\ndatabase=ledger.db\n",
         [](const QString& dir) {
             writeFile(QDir(dir).filePath(QStringLiteral("ledger.db")), QByteArray(4096, 'x'));
         },
         1, "不是 SQLite 数据库文件"},
        {"the ledger is an empty file", "[database]\ndbms=SQLite\ndatabase=ledger.db\n",
         [](const QString& dir) { writeFile(QDir(dir).filePath(QStringLiteral("ledger.db")), {}); }, 1,
         "不是本程序的账本：缺少账本的表 czr"},
        {"the ledger lacks a table", "[database]\ndbms=SQLite\ndatabase=ledger.db\n",
         [](const QString& dir) {
             changeFile(QDir(dir).filePath(QStringLiteral("ledger.db")), QStringLiteral("DROP TABLE pym"));
         },
         1, "不是本程序的账本：缺少账本的表 pym"},
        {"the ledger file is missing", "[database]\ndbms=SQLite\ndatabase=gone.db\n", [](const QString&) {},
         1, "找不到账本文件"},
        {"no pb.ini", nullptr, [](const QString&) {}, 2, "pb.ini"},
        {"a PostgreSQL ledger", "[database]\ndbms=PostgreSQL\ndatabase=quorvel\nservername=ledger.lan\n",
         [](const QString&) {}, 3, "pg_dump"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestLedger ledger(QStringLiteral("SQLite"));
        QString error;
        ASSERT_TRUE(ledger.create(error)) << error.toStdString();
        ledger.sqlca().disconnect();
        const QDir dir(ledger.workDir());
        if (c.profile)
            writeFile(dir.filePath(QStringLiteral("pb.ini")), c.profile);
        c.prepare(dir.path());
        const QString out = dir.filePath(QStringLiteral("out.db"));
        const bool existed = QFile::exists(out);
        const QByteArray before = digest(out);

        const CommandRun run = backupCommand(dir.path(), QStringLiteral("out.db"));
        EXPECT_EQ(run.code, c.code);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.reason))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(QFile::exists(out), existed);
        EXPECT_EQ(digest(out), before);
        EXPECT_FALSE(QFile::exists(out + QStringLiteral("-journal")));
    }
}

// What a copy cut short leaves (the program killed while it waits for a
// writer) must never carry the backup's name: the copy takes the name only
// once it is complete.
TEST(BackupCopy, AnUnfinishedCopyNeverCarriesTheBackupsName)
{
    test::TestLedger ledger(QStringLiteral("SQLite"));
    QString error;
    ASSERT_TRUE(ledger.create(error)) << error.toStdString();
    ledger.sqlca().disconnect();
    const QDir dir(ledger.workDir());
    const QString source = dir.filePath(QStringLiteral("ledger.db"));
    const QString target = dir.filePath(QStringLiteral("copy.db"));
    const QStringList before = dir.entryList(QDir::Files | QDir::Hidden);

    // Another program holds the ledger's write lock: the copy waits for it.
    {
        QSqlDatabase writer = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
        writer.setDatabaseName(source);
        ASSERT_TRUE(writer.open());
        QSqlQuery lock(writer);
        ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));

        BackupResult result;
        std::thread copy([&] { result = backupSqliteDatabase(source, target); });
        QStringList during;
        for (int waited = 0; waited < 5000 && during.isEmpty(); waited += 20) {
            QThread::msleep(20);
            for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
                if (!before.contains(name) && !name.startsWith(QStringLiteral("ledger.db")))
                    during << name;
        }
        EXPECT_FALSE(during.isEmpty()) << "the copy has started";
        for (const QString& name : during)
            EXPECT_FALSE(name.endsWith(QStringLiteral(".db")) || name.startsWith(QStringLiteral("copy.db-")))
                << name.toStdString();
        EXPECT_FALSE(QFile::exists(target));

        ASSERT_TRUE(lock.exec(QStringLiteral("ROLLBACK")));
        copy.join();
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        lock = QSqlQuery();
        writer.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    EXPECT_EQ(checkLedgerFile(target), std::nullopt);
    QStringList after = before;
    after << QStringLiteral("copy.db");
    after.sort();
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden), after) << "nothing left beside the copy";
}

} // namespace
