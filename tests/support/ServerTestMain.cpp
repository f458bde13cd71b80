#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

#include "support/MariaDb.h"
#include "support/TestOdbc.h"

// The tests that need a client-server database: MariaDB's driver stands
// registered under the DB2 name, the SQLite one under the ASE name.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    TestOdbc::install(TestOdbc::odbcDriver(QStringLiteral("libmaodbc.so")));
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return RUN_ALL_TESTS();
}
