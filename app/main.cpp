#include "app/commands/backupcommand.h"
#include "app/commands/firststart.h"
#include "app/commands/importcommand.h"
#include "app/commands/initdb.h"
#include "pack.h"
#include "platform/widgets/activation.h"
#include "platform/widgets/qttranslation.h"
#include "sheets.h"

#include "platform/database/transaction.h"
#include "platform/widgets/keyhabits.h"
#include "platform/widgets/modalguard.h"
#include "platform/widgets/qtmessagebox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QPointer>
#include <QTextStream>
#include <QWidget>

#include <functional>
#include <vector>

namespace {

// An option that runs one command instead of the windows and ends; its
// result is the exit status. A command that needs a value declares a value
// name on its option and receives the value.
struct Command
{
    QCommandLineOption option;
    std::function<int(const QString& value, const QCommandLineParser& parser)> run;
    QList<QCommandLineOption> modifiers = {}; // options that only this command takes
};

std::vector<Command> commands()
{
    return {
        {QCommandLineOption(QStringLiteral("init-db"),
                            QStringLiteral("在 pb.ini 指定的数据库中建立账本（表、索引和初始数据）后退出。")),
         [](const QString&, const QCommandLineParser&) {
             QTextStream out(stdout), err(stderr);
             return qv::runInitDb(out, err);
         }},
        {QCommandLineOption(
             QStringLiteral("backup"),
             QStringLiteral("把 pb.ini 指定的 SQLite 账本备份到新文件 FILE 后退出（程序开着也可以）。"),
             QStringLiteral("FILE")),
         [](const QString& file, const QCommandLineParser&) {
             QTextStream out(stdout), err(stderr);
             return qv::runBackup(file, out, err);
         }},
        {QCommandLineOption(
             QStringLiteral("import"),
             QStringLiteral("把礼单文件 FILE（.xlsx、.xls 或 .csv）导入 pb.ini 指定的账本："
                            "先列出读到的行、拒收的行及原因和可能重复的行，全部可导入时一次写入。"),
             QStringLiteral("FILE")),
         [](const QString& file, const QCommandLineParser& parser) {
             QTextStream out(stdout), err(stderr);
             return qv::runImport(file, parser.isSet(QStringLiteral("dry-run")), out, err);
         },
         {QCommandLineOption(QStringLiteral("dry-run"),
                             QStringLiteral("与 --import 一起用：只列出结果，不写入账本。"))}},
    };
}

int runWindows(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        QTextStream(stderr) << QStringLiteral(
            "quorvel：找不到显示器。请在桌面上运行；没有显示器的机器上可以用 "
            "xvfb-run -a quorvel 运行。\n");
        return 2;
    }
    QApplication app(argc, argv);
    // The installed launcher's name (resources/desktop/): the desktop shows
    // its icon and name for the windows, also on Wayland.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvel.quorvel"));
    qv::installQtTranslation(app); // without it Qt's own dialogs speak English, nothing worse
    qv::installQtRuntimeServices();
    qv::installKeyHabits(app);
    qv::installModalCloseGuard(app);
    qv::installActivationKeeper(app);
    qv::registerTaskWindows();

    QString homeError;
    if (!qv::enterLedgerHome(homeError)) {
        qv::messagebox(QStringLiteral("不能建立账本"), homeError, qv::Icon::StopSign);
        return 1;
    }

    int code = 1;
    {
        qv::Pack pack(qv::sqlca());
        if (pack.open())
            code = QApplication::exec();
    }
    // Every way out returns here. The windows a halt leaves behind go before
    // the connection they read through, and the connection goes while the
    // application object, and with it Qt's registry of connections, lives.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows.append(w);
    for (const QPointer<QWidget>& w : windows)
        delete w.data(); // null once a window deleted earlier took it along
    qv::sqlca().disconnect();
    return code;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

    // Read before any application object exists: a command or a help text
    // must work where there is no display.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("人情往来账本。不带选项时打开登录窗口。"));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("显示本说明后退出。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("显示版本后退出。"));
    parser.addOption(help);
    parser.addOption(version);
    const std::vector<Command> all = commands();
    for (const Command& c : all) {
        parser.addOption(c.option);
        for (const QCommandLineOption& m : c.modifiers)
            parser.addOption(m);
    }

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString error;
    if (!parser.parse(arguments)) {
        // Named with their dashes, as the usage below writes options.
        QStringList unknown;
        for (const QString& name : parser.unknownOptionNames())
            unknown << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        error = unknown.isEmpty()
                    ? parser.errorText()
                    : QStringLiteral("不认识的选项：%1").arg(unknown.join(QStringLiteral("、")));
    } else if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("多余的参数：%1").arg(parser.positionalArguments().join(QLatin1Char(' ')));
    }

    const Command* chosen = nullptr;
    for (const Command& c : all) {
        if (error.isEmpty() && parser.isSet(c.option)) {
            if (chosen)
                error = QStringLiteral("一次只能运行一个命令。");
            chosen = &c;
        }
    }
    for (const Command& c : all)
        for (const QCommandLineOption& m : c.modifiers)
            if (error.isEmpty() && parser.isSet(m) && chosen != &c)
                error = QStringLiteral("--%1 只能和 --%2 一起使用。")
                            .arg(m.names().first(), c.option.names().first());
    if (!error.isEmpty() || parser.isSet(help) || parser.isSet(version) || chosen) {
        QCoreApplication app(argc, argv); // names the program in the usage line; the database needs it too
        qv::installQtTranslation(app);
        QTextStream out(stdout), err(stderr);
        if (!error.isEmpty()) {
            err << error << "\n\n" << parser.helpText();
            return 2;
        }
        if (parser.isSet(help)) {
            out << parser.helpText();
            return 0;
        }
        if (parser.isSet(version)) {
            out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
                << '\n';
            return 0;
        }
        return chosen->run(parser.value(chosen->option), parser);
    }
    return runWindows(argc, argv);
}
