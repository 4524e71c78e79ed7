#include "support/testledger.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using qv::test::LedgerTest;

namespace {

const QString kQuorvel = QStringLiteral(QUORVEL_EXECUTABLE);

struct Finished
{
    int code = -1;
    QString out;
    QString err;
};

Finished quorvel(const QStringList& arguments, const QString& dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(kQuorvel, arguments);
    Finished r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void writeCsv(const QString& file, const QStringList& lines)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(lines.join(QStringLiteral("\r\n")).toUtf8());
}

} // namespace

class ImportCommand : public LedgerTest
{
protected:
    QString path(const char* name) const
    {
        return QDir(m_ledger->workDir()).filePath(QString::fromUtf8(name));
    }
    long long count(const char* table)
    {
        return ledger().scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)).toLongLong();
    }
};

// The exit status says whether anything was written, and the ledger agrees.
TEST_P(ImportCommand, TheExitStatusSaysWhetherTheListWentIn)
{
    ledger().writeProfile();
    const QString header = QStringLiteral("姓名,金额,日期");
    writeCsv(path("good.csv"),
             {header, QStringLiteral("张三,200,2024-05-01"), QStringLiteral("李四,伍佰元整,2024-05-02")});
    writeCsv(path("bad.csv"),
             {header, QStringLiteral("王五,300,2024-05-01"), QStringLiteral("赵六,abc,2024-05-02")});
    writeCsv(path("names.csv"), {QStringLiteral("姓名,日期"), QStringLiteral("王五,2024-05-01")});
    const struct
    {
        QStringList arguments;
        int code;
        const char* said;  // in the output or the errors
        long long records; // in the ledger afterwards
    } cases[] = {
        {{QStringLiteral("--import"), path("good.csv"), QStringLiteral("--dry-run")},
         0,
         "读入 2 行，可导入 2 行",
         0},
        {{QStringLiteral("--import"), path("bad.csv")}, 1, "第3行「金额」：abc 不是金额", 0},
        {{QStringLiteral("--import"), path("names.csv")}, 1, "没有找到「金额」列", 0},
        {{QStringLiteral("--import"), path("none.csv")}, 1, "none.csv", 0},
        {{QStringLiteral("--import"), path("good.csv")}, 0, "已导入 2 条记录", 2},
        // Everything again is all duplicates: nothing left to write.
        {{QStringLiteral("--import"), path("good.csv")}, 1, "可能重复 2 行", 2},
        {{QStringLiteral("--dry-run")}, 2, "--dry-run 只能和 --import 一起使用", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Finished r = quorvel(c.arguments, ledger().workDir());
        EXPECT_EQ(r.code, c.code) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(c.said)))
            << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(count("rqwlb"), c.records);
    }
    EXPECT_EQ(count("drjl"), 1);
}

// Killed half-way through the writing, the import leaves nothing behind:
// no record, no contact, no trace of the import.
TEST_P(ImportCommand, AKillHalfWayLeavesTheLedgerAsBefore)
{
    ledger().writeProfile();
    QStringList lines{QStringLiteral("姓名,金额,日期")};
    for (int i = 0; i < 20000; ++i)
        lines << QStringLiteral("来宾%1,%2,2024-05-01").arg(i).arg(100 + i);
    writeCsv(path("big.csv"), lines);

    QProcess p;
    p.setWorkingDirectory(ledger().workDir());
    p.start(kQuorvel, {QStringLiteral("--import"), path("big.csv")});
    ASSERT_TRUE(p.waitForStarted());
    QByteArray out;
    while (!out.contains(QStringLiteral("已写入").toUtf8()) && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        out += p.readAllStandardOutput();
    }
    ASSERT_EQ(p.state(), QProcess::Running)
        << out.toStdString() << "\nThe import ended before it could be killed.";
    p.kill(); // SIGKILL: no handler, no rollback of its own
    p.waitForFinished();

    EXPECT_EQ(count("rqwlb"), 0);
    EXPECT_EQ(count("wlryb"), 0);
    EXPECT_EQ(count("drjl"), 0);
    EXPECT_EQ(count("drmx"), 0);
}

QV_LEDGER_TEST_SUITE(ImportCommand);
