#include "platform/core/messagebox.h"
#include "platform/widgets/modalguard.h"

#include <QApplication>

#include <gtest/gtest.h>

// One QApplication for the whole run, offscreen unless told otherwise,
// scripted message boxes so that no test can block on a dialog, and the
// program's rule that nothing closes under a running dialog.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qv::installScriptedMessageBoxes();
    qv::installModalCloseGuard(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
