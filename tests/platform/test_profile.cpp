#include "platform/core/profile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qv;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

} // namespace

TEST(Profile, MissingFileOrKeyGivesTheDefault)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pb.ini"));
    EXPECT_EQ(profilestring(path, QStringLiteral("other"), QStringLiteral("ver"), QStringLiteral("1.0.0")),
              QStringLiteral("1.0.0"));
    writeAll(path, "[database]\ndbms=SQLite\n");
    EXPECT_EQ(profilestring(path, QStringLiteral("other"), QStringLiteral("ver"), QStringLiteral("1.0.0")),
              QStringLiteral("1.0.0"));
    EXPECT_EQ(profilestring(path, QStringLiteral("DATABASE"), QStringLiteral("DBMS"), {}),
              QStringLiteral("SQLite"));
}

TEST(Profile, WritingOneKeyKeepsEverythingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pb.ini"));
    const QByteArray original = "; household ledger\r\n[Database]\r\nDBMS = SQLite\r\nLogPassWord=x\r\n\r\n"
                                "[other]\r\ncsh=0\r\nver=2.3\r\n";
    writeAll(path, original);
    ASSERT_EQ(setprofilestring(path, QStringLiteral("other"), QStringLiteral("CSH"), QStringLiteral("1")), 1);
    EXPECT_EQ(readAll(path), QByteArray(original).replace("csh=0", "csh=1"));

    ASSERT_EQ(setprofilestring(path, QStringLiteral("database"), QStringLiteral("database"),
                               QStringLiteral("a.db")),
              1);
    EXPECT_EQ(readAll(path),
              "; household ledger\r\n[Database]\r\nDBMS = SQLite\r\nLogPassWord=x\r\ndatabase=a.db\r\n\r\n"
              "[other]\r\ncsh=1\r\nver=2.3\r\n");

    ASSERT_EQ(setprofilestring(path, QStringLiteral("new"), QStringLiteral("k"), QStringLiteral("v")), 1);
    EXPECT_TRUE(readAll(path).endsWith("ver=2.3\r\n\r\n[new]\r\nk=v\r\n"));

    // A last line without its line break is a line all the same.
    writeAll(path, "[other]\ncsh=0");
    ASSERT_EQ(setprofilestring(path, QStringLiteral("other"), QStringLiteral("ver"), QStringLiteral("2.4")),
              1);
    EXPECT_EQ(readAll(path), "[other]\ncsh=0\nver=2.4");
}

TEST(Profile, GbkAndUtf8FilesReadAndStayInTheirEncoding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pb.ini"));
    QStringEncoder toGbk("GBK");
    const QByteArray gbkBytes = toGbk.encode(QStringLiteral("[other]\nname=人情往来\nver=1.0\n"));
    writeAll(path, gbkBytes);
    EXPECT_EQ(profilestring(path, QStringLiteral("other"), QStringLiteral("name"), {}),
              QStringLiteral("人情往来"));
    ASSERT_EQ(setprofilestring(path, QStringLiteral("other"), QStringLiteral("ver"), QStringLiteral("2.0")),
              1);
    QStringEncoder toGbk2("GBK");
    EXPECT_EQ(readAll(path), toGbk2.encode(QStringLiteral("[other]\nname=人情往来\nver=2.0\n")));

    writeAll(path, QStringLiteral("[other]\nname=人情往来\n").toUtf8());
    EXPECT_EQ(profilestring(path, QStringLiteral("other"), QStringLiteral("name"), {}),
              QStringLiteral("人情往来"));
}

TEST(Profile, DamagedOrUnreadableFilesAreReportedAndNeverOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pb.ini"));
    writeAll(path, QByteArray("[database]\0\x01\x02garbage", 19));
    ProfileFile damaged(path);
    EXPECT_EQ(damaged.load(), ProfileFile::Status::Damaged);
    EXPECT_FALSE(damaged.errorString().isEmpty());
    EXPECT_EQ(setprofilestring(path, QStringLiteral("other"), QStringLiteral("csh"), QStringLiteral("1")),
              -1);
    EXPECT_EQ(readAll(path).size(), 19);

    QDir(dir.path()).mkdir(QStringLiteral("adir"));
    ProfileFile directory(dir.filePath(QStringLiteral("adir")));
    EXPECT_EQ(directory.load(), ProfileFile::Status::Unreadable);
}
