// From starting the program to its login window on screen: each run is a
// fresh process that starts as the program does (the same services, the
// same Pack::open over a pb.ini) and says when the login window is shown.
// The parent times it from the moment it starts the process, so loading the
// libraries counts; the child's own marks tell where the rest goes.

#include "benchsupport.h"

#include "app/pack.h"
#include "app/sheets.h"
#include "platform/database/transaction.h"
#include "platform/widgets/activation.h"
#include "platform/widgets/keyhabits.h"
#include "platform/widgets/modalguard.h"
#include "platform/widgets/qtmessagebox.h"
#include "platform/widgets/qttranslation.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>

using namespace qv;

namespace {

using bench::Clock;
using bench::median;
using bench::msSince;

// Starts as app/main.cpp does, in the working directory the parent chose;
// prints each step's end in milliseconds since main, then "shown".
int child(int argc, char* argv[])
{
    const auto start = Clock::now();
    QTextStream out(stdout);
    QApplication app(argc, argv);
    out << "application " << msSince(start) << "\n";
    installQtTranslation(app);
    installQtRuntimeServices();
    installKeyHabits(app);
    installModalCloseGuard(app);
    installActivationKeeper(app);
    registerTaskWindows();
    out << "services " << msSince(start) << "\n";
    Pack pack(sqlca());
    QWidget* login = pack.open();
    if (!login)
        return 1;
    out << "opened " << msSince(start) << "\n";
    QApplication::processEvents();
    out << "shown " << msSince(start) << "\n";
    out.flush();
    return login->isVisible() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 2 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        err << "usage: quorvel_bench_startup <sqlite-file> [runs=15]" << Qt::endl;
        return 2;
    }
    const QString file = QFileInfo(args[1]).absoluteFilePath();
    const int runs = std::max(1, args.value(2, QStringLiteral("15")).toInt());
    if (!bench::ensureLedger(file, 1000, out, err))
        return 1;
    QTemporaryDir dir;
    {
        QFile profile(dir.filePath(Pack::profileFileName()));
        if (!profile.open(QIODevice::WriteOnly)) {
            err << "cannot write " << profile.fileName() << Qt::endl;
            return 1;
        }
        profile.write("[database]\ndbms=SQLite\ndatabase=" + file.toUtf8() + "\n");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QHash<QString, QList<double>> marks;
    QList<double> total;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setProcessEnvironment(env);
        const auto started = Clock::now();
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        double shown = -1;
        QByteArray seen;
        while (shown < 0 && p.waitForReadyRead(10000)) {
            seen += p.readAllStandardOutput();
            if (seen.contains("shown "))
                shown = msSince(started);
        }
        p.waitForFinished(-1);
        seen += p.readAllStandardOutput();
        if (shown < 0 || p.exitCode() != 0) {
            err << "run " << i << " failed: " << p.readAllStandardError() << Qt::endl;
            return 1;
        }
        total << shown;
        for (const QByteArray& line : seen.split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2)
                marks[QString::fromLatin1(parts[0])] << parts[1].toDouble();
        }
    }
    auto m = [&marks](const char* key) { return median(marks.value(QString::fromLatin1(key))); };
    out << QStringLiteral("start to the login window shown, %1 fresh processes over %2; medians")
               .arg(runs)
               .arg(file)
        << Qt::endl;
    out << QStringLiteral("  %1 s from starting the process (target 0.2 s)")
               .arg(median(total) / 1000, 0, 'f', 3)
        << Qt::endl;
    out << QStringLiteral("  of which in main: QApplication %1 ms, services %2 ms, Pack::open with the login "
                          "window %3 ms, shown %4 ms")
               .arg(m("application"), 0, 'f', 0)
               .arg(m("services") - m("application"), 0, 'f', 0)
               .arg(m("opened") - m("services"), 0, 'f', 0)
               .arg(m("shown") - m("opened"), 0, 'f', 0)
        << Qt::endl;
    out << QStringLiteral("  before main (loading the program and its libraries): %1 ms")
               .arg(median(total) - m("shown"), 0, 'f', 0)
        << Qt::endl;
    return 0;
}
