#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "connections/core/BatchInsert.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Recordset.h"
#include "support/MariaDb.h"
#include "support/TestOdbc.h"
#include "transfer/core/KeptTypes.h"

using Datatype::Direction;

namespace {

using Rows = std::vector<std::vector<Db::Value>>;

// The server's columns as its driver describes them, kept for each side.
TEST(KeptTypesOnServer, TheDriversDescriptionChoosesTheType) {
    const struct {
        const char* declared;
        const char* toDb2;
        const char* toAse;
    } cases[] = {
        {"INTEGER NOT NULL", "INTEGER NOT NULL", "int not null"},
        {"BIGINT UNSIGNED", "DECIMAL(20,0)", "unsigned bigint null"},
        {"BIT(1) NOT NULL", "SMALLINT NOT NULL", "bit not null"},
        {"DECIMAL(10,2) NOT NULL", "DECIMAL(10,2) NOT NULL", "numeric(10,2) not null"},
        {"VARCHAR(40) NOT NULL", "VARCHAR(160) NOT NULL", "varchar(160) not null"},
        {"LONGTEXT", "CLOB", "text null"},
        {"TIME(3)", "LONG VARCHAR", "bigtime null"},
        {"DATETIME(6)", "TIMESTAMP(6)", "bigdatetime null"},
    };
    const Profile login = MariaDb::server().freshDatabase();
    QStringList columns;
    for (size_t i = 0; i < std::size(cases); ++i)
        columns << QStringLiteral("c%1 %2").arg(i).arg(cases[i].declared);
    TestOdbc::exec(login, {"CREATE TABLE k (" + columns.join(", ") + ")"});
    Db::Connection c;
    c.Open(IBMDB2::ConnectionString(login));
    Db::Recordset rs;
    rs.Open("SELECT * FROM k", c);
    ASSERT_EQ(rs.FieldCount(), int(std::size(cases)));
    for (int i = 0; i < rs.FieldCount(); ++i) {
        const Db::ColumnDescription& source = rs.Fields(i).Description;
        EXPECT_EQ(KeptTypes::For(Direction::ToDb2, source).type, QLatin1String(cases[i].toDb2))
            << cases[i].declared;
        EXPECT_EQ(KeptTypes::For(Direction::ToAse, source).type, QLatin1String(cases[i].toAse))
            << cases[i].declared;
    }
}

// A copy with its types kept: the target created from the source's
// description (the DB2 spellings this server reads too), the rows bound
// in their kept kinds, each value back as it left.
TEST(KeptTypesOnServer, ACopyKeepsEveryValue) {
    const Profile login = MariaDb::server().freshDatabase();
    TestOdbc::exec(
        login,
        {"CREATE TABLE source (id BIGINT NOT NULL, u BIGINT UNSIGNED, flag BIT(1), price DECIMAL(31,9), "
         "amount DOUBLE, name VARCHAR(40), born DATE, at DATETIME(6), raw VARBINARY(16))",
         "INSERT INTO source VALUES (-9223372036854775808, 18446744073709551615, 1, "
         "-1234567890123456789012.123456789, 0.30000000000000004, 'Zoë \"東京\"', '2021-05-01', "
         "'2021-05-01 13:45:06.123456', X'00FF00'), (1, NULL, 0, NULL, NULL, '', NULL, NULL, '')"});
    Db::Connection c;
    c.CursorLocation = Db::UseClient;
    c.Open(IBMDB2::ConnectionString(login));
    Db::Recordset rs;
    rs.Open("SELECT * FROM source ORDER BY id", c);
    std::vector<KeptTypes::Column> kept;
    std::vector<Db::Parameter> parameters;
    QStringList columns, markers;
    for (int i = 0; i < rs.FieldCount(); ++i) {
        kept.push_back(KeptTypes::For(Direction::ToDb2, rs.Fields(i).Description));
        parameters.push_back(kept.back().parameter);
        columns << rs.Fields(i).Name + " " + kept.back().type;
        markers << "?";
    }
    c.Execute("CREATE TABLE target (" + columns.join(", ") + ")");
    {
        Db::BatchInsert insert(c, "INSERT INTO target VALUES (" + markers.join(", ") + ")", parameters, 10);
        for (; !rs.Eof(); rs.MoveNext()) {
            std::vector<Db::Value> row;
            for (int i = 0; i < rs.FieldCount(); ++i)
                row.push_back(KeptTypes::Convert(kept[i], rs.Fields(i).Value()));
            EXPECT_TRUE(insert.add(row).empty());
        }
        EXPECT_TRUE(insert.flush().empty());
    }
    c.Close();

    EXPECT_EQ(TestOdbc::rows(login, "SELECT * FROM target ORDER BY id"),
              (Rows{{std::numeric_limits<std::int64_t>::min(), Db::Decimal{"18446744073709551615"},
                     std::int64_t(1), Db::Decimal{"-1234567890123456789012.123456789"}, 0.30000000000000004,
                     QString("Zoë \"東京\""), Db::Date{2021, 5, 1},
                     Db::Timestamp{{2021, 5, 1}, {13, 45, 6, 123456000}}, QByteArray("\0\xff\0", 3)},
                    {std::int64_t(1), Db::Null{}, std::int64_t(0), Db::Null{}, Db::Null{}, QString(""),
                     Db::Null{}, Db::Null{}, QByteArray("")}}));
}

}  // namespace
