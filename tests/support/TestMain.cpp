#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

#ifdef FENNIX_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    TestEnvironment::setUp();
    TestApplication app(argc, argv);
    TestApplication::setOrganizationName(QStringLiteral("FennixTests"));
    TestApplication::setApplicationName(QStringLiteral("FennixPro"));
    const int rc = RUN_ALL_TESTS();
    // Leave failed runs' folders behind for inspection.
    if (rc == 0 && qEnvironmentVariableIsEmpty("FENNIX_KEEP_TEST_HOME"))
        QDir(TestEnvironment::home()).removeRecursively();
    return rc;
}
