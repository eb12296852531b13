#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>

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
    // The home goes when the process exits (TestEnvironment); say how to keep it for a look.
    if (rc != 0 && !TestEnvironment::keepsHome())
        std::fprintf(stderr, "FENNIX_KEEP_TEST_HOME=1 keeps this test's home (%s)\n", qPrintable(TestEnvironment::home()));
    return rc;
}
