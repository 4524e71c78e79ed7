#include "app/aboutwindow.h"
#include "app/centerwindows.h"
#include "app/helpwindow.h"
#include "app/loginwindow.h"
#include "app/mainwindow.h"
#include "platform/core/globals.h"
#include "platform/database/transaction.h"
#include "platform/reports/units.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qv;

TEST(Centring, HalvesTheDifferenceInLayoutUnitsTowardZero)
{
    units::overrideDpiScale(1.0);
    const QSize screen(1280, 800);
    const int wide = units::pixelsToUnitsX(screen.width());
    const int high = units::pixelsToUnitsY(screen.height());
    EXPECT_EQ(centeredPosition(screen, {wide, high}), QPoint(0, 0));
    EXPECT_EQ(centeredPosition(screen, {wide - 101, high - 3}), QPoint(50, 1));
    EXPECT_EQ(centeredPosition(screen, {wide + 101, high + 3}), QPoint(-50, -1)) << "larger than the screen";
    units::overrideDpiScale(0);
}

TEST(AboutBox, ShowsTheVersionOfTheWorkingDirectorysProfile)
{
    QTemporaryDir dir;
    const QString saved = globals().ls_dir;
    globals().ls_dir = QDir::toNativeSeparators(dir.path());

    auto versionShown = [] {
        AboutWindow about;
        EXPECT_EQ(about.windowTitle(), QStringLiteral("关于本软件"));
        EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("st_3"))->text(), QStringLiteral("Quorvel"));
        return about.findChild<QLabel*>(QStringLiteral("st_1"))->text();
    };
    EXPECT_EQ(versionShown(), QStringLiteral("版本 1.0.0")) << "no pb.ini";

    QFile ini(dir.filePath(QStringLiteral("pb.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[database]\ndbms=SQLite\n\n[other]\ncsh=1\n");
    ini.close();
    EXPECT_EQ(versionShown(), QStringLiteral("版本 1.0.0")) << "no ver key";

    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Append));
    ini.write("ver=2.3\n");
    ini.close();
    EXPECT_EQ(versionShown(), QStringLiteral("版本 2.3"));
    globals().ls_dir = saved;
}

TEST(ShippedFiles, PicturesAndManualComeFromTheWorkingDirectoryOrFromInsideTheProgram)
{
    const QString previous = QDir::currentPath();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    Transaction t;

    struct Picture
    {
        const char* file;
        const char* label;
    };
    const Picture pictures[] = {{"setup.bmp", "p_3"}, {"login.bmp", "p_1"}, {"key.bmp", "p_2"}};
    auto pictureSize = [&t](const char* label) {
        LoginWindow login(t);
        const QLabel* p = login.findChild<QLabel*>(QLatin1String(label));
        return p ? p->pixmap().size() : QSize();
    };
    auto iconShown = [&t] {
        MainWindow frame(t);
        AboutWindow about;
        return !frame.windowIcon().isNull() && !about.windowIcon().isNull();
    };

    // An empty working directory: the pictures built into the program.
    for (const Picture& p : pictures) {
        const QSize size = pictureSize(p.label);
        EXPECT_FALSE(size.isEmpty()) << p.file;
    }
    EXPECT_TRUE(iconShown());
    EXPECT_EQ(helpSource(), QStringLiteral(":/help/index.html"));

    // The working directory's own files come first.
    for (const Picture& p : pictures) {
        QImage own(7, 5, QImage::Format_RGB32);
        own.fill(Qt::red);
        ASSERT_TRUE(own.save(QString::fromLatin1(p.file), "BMP"));
        EXPECT_EQ(pictureSize(p.label), QSize(7, 5)) << p.file;
    }
    QDir::setCurrent(previous);
}
