#include <gtest/gtest.h>

#include "catalog/core/Identifiers.h"
#include "catalog/core/Statements.h"

namespace {

TEST(Identifiers, EveryNameIsExactlyOneIdentifier) {
    EXPECT_EQ(Statements::DropDb2Table(QStringLiteral("EMP")), QStringLiteral("DROP TABLE \"EMP\""));
    EXPECT_EQ(Statements::DropDb2Table(QStringLiteral("a\"; DROP TABLE \"b")),
              QStringLiteral("DROP TABLE \"a\"\"; DROP TABLE \"\"b\""));
    EXPECT_EQ(Statements::DropAseTable(QStringLiteral("it's [x] \"y\"")),
              QStringLiteral("DROP TABLE [it's [x] \"y\"]"));
    EXPECT_EQ(Statements::RenameDb2Table(QStringLiteral("Old \"1\""), QStringLiteral("  ")),
              QStringLiteral("RENAME TABLE \"Old \"\"1\"\"\" TO \"  \""));
}

TEST(Identifiers, AseRefusesWhatItCannotDelimit) {
    EXPECT_TRUE(Identifiers::AseCanDelimit(QStringLiteral("a[b")));
    EXPECT_FALSE(Identifiers::AseCanDelimit(QStringLiteral("a]b")));
    EXPECT_TRUE(Identifiers::AseRefusal(QStringLiteral("a]b")).contains(QStringLiteral("a]b")));
}

}  // namespace
