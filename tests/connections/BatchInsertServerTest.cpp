#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <limits>

#include "connections/core/BatchInsert.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Recordset.h"
#include "support/MariaDb.h"
#include "support/TestOdbc.h"

using namespace Db;

namespace {

using Rows = std::vector<std::vector<Value>>;

struct Sent {
    std::vector<RowFailure> failures;
    bool arrays = false;
};

// Sends the rows through one batch insert into the table, each column bound
// in the kind the table itself describes.
Sent Insert(const Profile& login, const QString& table, int rowsPerBatch, const Rows& rows) {
    Connection c;
    c.Open(IBMDB2::ConnectionString(login));
    std::vector<Parameter> parameters;
    QStringList markers;
    {
        Recordset shape;
        shape.Open("SELECT * FROM " + table + " WHERE 1 = 0", c);
        for (int i = 0; i < shape.FieldCount(); ++i) {
            parameters.push_back(TypedParameter(shape.Fields(i).Description));
            markers << "?";
        }
    }
    Sent sent;
    BatchInsert insert(c, "INSERT INTO " + table + " VALUES (" + markers.join(", ") + ")", parameters,
                       rowsPerBatch);
    sent.arrays = insert.sendsArrays();
    for (const auto& row : rows)
        for (RowFailure& f : insert.add(row)) sent.failures.push_back(std::move(f));
    for (RowFailure& f : insert.flush()) sent.failures.push_back(std::move(f));
    return sent;
}

TEST(BatchInsertOnServer, TypedValuesArriveExactly) {
    const Profile login = MariaDb::server().freshDatabase();
    TestOdbc::exec(login,
                   {"CREATE TABLE k (i BIGINT, u BIGINT UNSIGNED, d DOUBLE, f FLOAT, b BIT(1), dt DATE, "
                    "tm TIME(6), ts DATETIME(6), dc DECIMAL(38,18), vb VARBINARY(20), vc VARCHAR(40), "
                    "tx LONGTEXT)"});
    const Rows rows{
        {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::uint64_t>::max(), 0.1, 2.5f, true,
         Date{2021, 5, 1}, Time{13, 45, 6, 250000000}, Timestamp{{2021, 5, 1}, {13, 45, 6, 123456000}},
         Decimal{"-12345678901234567890.123456789012345678"}, QByteArray("\0\xff\0", 3),
         QStringLiteral("Zoë O'Brien \"東京\" 😀"), QString(400, QChar(u'東'))},
        {std::int64_t(9007199254740993), std::uint64_t(0), 5e-324, -0.1f, false, Date{1000, 1, 1},
         Time{0, 0, 0}, Timestamp{{1999, 12, 31}, {23, 59, 59, 999999000}}, Decimal{"0.000000000000000001"},
         QByteArray(""), QString(""), QString("")},
        {std::numeric_limits<std::int64_t>::max(), std::uint64_t(9223372036854775808ULL), DBL_MAX,
         std::numeric_limits<float>::denorm_min(), Null{}, Null{}, Null{}, Null{}, Null{}, Null{}, Null{},
         Null{}},
    };

    const Sent sent = Insert(login, "k", 2, rows);

    EXPECT_TRUE(sent.arrays);
    EXPECT_TRUE(sent.failures.empty());
    EXPECT_EQ(TestOdbc::rows(login, "SELECT * FROM k ORDER BY i"), (Rows{rows[0], rows[1], rows[2]}));
}

// The driver sends an array as one statement, which the server takes whole
// or not at all, and marks no row: the rows are sent again one at a time.
TEST(BatchInsertOnServer, RefusedRowsAreReportedAndTheOthersStoredOnce) {
    const Profile login = MariaDb::server().freshDatabase();
    TestOdbc::exec(login, {"CREATE TABLE t (id INTEGER PRIMARY KEY, note VARCHAR(10) NOT NULL)"});
    Rows rows;
    for (int id = 1; id <= 7; ++id)
        rows.push_back({std::int64_t(id == 6 ? 3 : id), id == 4 ? Value(Null{}) : Value(QString("fine"))});
    for (int perBatch : {1, 3, 100}) {
        TestOdbc::exec(login, {"DELETE FROM t"});

        const Sent sent = Insert(login, "t", perBatch, rows);

        ASSERT_EQ(sent.failures.size(), 2u) << perBatch;
        EXPECT_EQ(sent.failures[0].row, 4);
        EXPECT_EQ(sent.failures[0].error.nativeCodes().value(0), 1048);  // Column 'note' cannot be null
        EXPECT_EQ(sent.failures[1].row, 6);
        EXPECT_EQ(sent.failures[1].error.nativeCodes().value(0), 1062);  // Duplicate entry '3'
        EXPECT_EQ(sent.failures[1].error.sqlStates(), QStringList{"23000"});
        EXPECT_TRUE(sent.failures[1].error.description().contains("Duplicate entry '3'"))
            << sent.failures[1].error.what();
        EXPECT_EQ(TestOdbc::texts(login, "SELECT GROUP_CONCAT(id ORDER BY id) FROM t"),
                  std::vector<QStringList>{{"1,2,3,5,7"}})
            << perBatch;
    }
}

// A value the server will not take (longer than its 16 MB packet limit) is
// refused with its row, and the connection goes on; a shorter long value,
// sent in pieces too, arrives whole.
TEST(BatchInsertOnServer, AValueTooLongForTheServerCostsItsRowOnly) {
    const Profile login = MariaDb::server().freshDatabase();
    TestOdbc::exec(login, {"CREATE TABLE l (id INTEGER, tx LONGTEXT)"});
    const Rows rows{{std::int64_t(1), QString("short")},
                    {std::int64_t(2), QString(20'000'000, QChar(u'x'))},
                    {std::int64_t(3), QString(3'000'000, QChar(u'y'))},
                    {std::int64_t(4), QString("short")}};

    const Sent sent = Insert(login, "l", 10, rows);

    ASSERT_EQ(sent.failures.size(), 1u);
    EXPECT_EQ(sent.failures[0].row, 2);
    EXPECT_TRUE(sent.failures[0].error.description().contains("max_allowed_packet"))
        << sent.failures[0].error.what();
    EXPECT_EQ(TestOdbc::rows(login, "SELECT id, tx FROM l ORDER BY id"), (Rows{rows[0], rows[2], rows[3]}));
}

}  // namespace
