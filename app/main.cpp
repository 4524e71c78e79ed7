#include "initdb.h"
#include "pack.h"
#include "sheets.h"

#include "platform/keyhabits.h"
#include "platform/qtmessagebox.h"
#include "platform/transaction.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--init-db") == 0) {
            QCoreApplication app(argc, argv);
            QTextStream out(stdout), err(stderr);
            return qv::runInitDb(out, err);
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("quorvel: no display found; run it on a desktop, or headless as: xvfb-run -a quorvel\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    qv::installQtRuntimeServices();
    qv::installKeyHabits(app);
    qv::registerTaskWindows();

    int code = 1;
    {
        qv::Pack pack(qv::sqlca());
        if (pack.open())
            code = QApplication::exec();
    }
    qv::sqlca().disconnect();
    return code;
}
