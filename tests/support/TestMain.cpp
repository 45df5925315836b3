// The main of every test program: a QApplication on the offscreen platform
// (widgets and event loops work without a display) and a fresh program folder
// and registry, so no test ever touches the user's own.
#include "platform/SystemTime.h"

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    if (qEnvironmentVariableIsEmpty("ORVANTA_KEEP_ENV")) {
        qputenv("ORVANTA_HOME", home.filePath("program").toUtf8());
        qputenv("ORVANTA_REGISTRY", home.filePath("registry.reg").toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        qputenv("HOME", home.path().toUtf8());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Qt takes the process locale from the environment; numbers in files
    // must not depend on it, and tests check that they do not.
    ::testing::InitGoogleTest(&argc, argv);
    // CI runs as root, where setting the clock succeeds: no test may move
    // the machine's clock. Tests that set it install their own setter.
    systime::SetClockSetter([](const QDateTime& utc, QString& error) {
        ADD_FAILURE() << "a test reached the real system clock with " << utc.toString(Qt::ISODateWithMs).toStdString();
        error = "refused by the test guard";
        return false;
    });
    return RUN_ALL_TESTS();
}
