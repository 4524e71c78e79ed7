#include "platform/messagebox.h"

#include <QApplication>

#include <gtest/gtest.h>

// One QApplication for the whole run, offscreen unless told otherwise, and
// scripted message boxes so that no test can block on a dialog.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qv::installScriptedMessageBoxes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
