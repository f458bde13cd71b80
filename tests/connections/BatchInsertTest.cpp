#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <limits>

#include "connections/core/BatchInsert.h"
#include "connections/core/Connection.h"
#include "support/TestOdbc.h"

using namespace Db;
using Kind = Parameter::Kind;

namespace {

using Rows = std::vector<std::vector<Value>>;

// Sends the rows through one batch insert on the SQLite file and returns
// what the target refused.
std::vector<RowFailure> Insert(const QString& db, const QString& statement, std::vector<Parameter> parameters,
                               int rowsPerBatch, const Rows& rows) {
    Connection c;
    c.Open(TestOdbc::aseString(db));
    std::vector<RowFailure> failures;
    {
        BatchInsert insert(c, statement, std::move(parameters), rowsPerBatch);
        EXPECT_EQ(insert.sendsArrays(), rowsPerBatch > 1);
        for (const auto& row : rows)
            for (RowFailure& f : insert.add(row)) failures.push_back(std::move(f));
        for (RowFailure& f : insert.flush()) failures.push_back(std::move(f));
        EXPECT_EQ(insert.rowsTaken(), static_cast<long long>(rows.size()));
    }
    c.Close();  // nothing left open: every batch was committed
    return failures;
}

struct BatchInsertTest : ::testing::Test {
    QString db = TestOdbc::freshFolder() + QStringLiteral("/target.db");
};

// Three rows to a batch, so one array of three and one of a single row.
// SQLite reads doubles back through 15-digit text, so the stored doubles are
// compared with exact literals inside SQLite.
TEST_F(BatchInsertTest, TypedValuesArriveExactly) {
    TestOdbc::exec(db, {"CREATE TABLE k (i BIGINT, d DOUBLE, b BOOLEAN, dt DATE, tm TIME, ts TIMESTAMP, "
                        "dc TEXT, bl BLOB, tx TEXT)"});
    const std::vector<Parameter> parameters{
        {Kind::Integer, -5 /*SQL_BIGINT*/, 19, 0},
        {Kind::Double, 8 /*SQL_DOUBLE*/, 15, 0},
        {Kind::Bit, -7 /*SQL_BIT*/, 1, 0},
        {Kind::Date, 91, 10, 0},
        {Kind::Time, 12, 0, 0},
        {Kind::Timestamp, 93, 29, 9},
        {Kind::Decimal, 3 /*SQL_DECIMAL*/, 38, 18},
        {Kind::Binary, -3 /*SQL_VARBINARY*/, 0, 0},
        TextParameter(),
    };
    const Rows rows{
        {std::numeric_limits<std::int64_t>::min(), 0.1, true, Date{2021, 5, 1}, Time{13, 45, 6, 250000000},
         Timestamp{{2021, 5, 1}, {13, 45, 6, 123456000}}, Decimal{"-12345678901234567890.123456789012345678"},
         QByteArray("\0\xff\0", 3), QStringLiteral("Zoë O'Brien \"東京\" 😀")},
        {std::numeric_limits<std::int64_t>::max(), 5e-324, false, Date{1, 1, 1}, Time{0, 0, 0},
         Timestamp{{1999, 12, 31}, {23, 59, 59, 999999999}}, Decimal{"0.000000000000000001"}, QByteArray(""),
         QString("")},
        {std::int64_t(9007199254740993), 0.30000000000000004, Null{}, Null{}, QStringLiteral("1:45:06 PM"),
         Timestamp{{2000, 2, 29}, {0, 0, 0, 1000}}, Null{}, Null{}, Null{}},
        {Null{}, Null{}, Null{}, Null{}, Null{}, Null{}, Null{}, Null{}, Null{}},
    };

    EXPECT_TRUE(Insert(db, "INSERT INTO k VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)", parameters, 3, rows).empty());

    const auto stored = TestOdbc::rows(db, "SELECT i, b, dt, tm, ts, dc, bl, tx FROM k ORDER BY rowid");
    ASSERT_EQ(stored.size(), rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const auto& in = rows[r];
        const auto& out = stored[r];
        EXPECT_EQ(out[0], in[0]) << r;
        EXPECT_EQ(out[1], in[2]) << r;
        EXPECT_EQ(out[2], in[3]) << r;
        EXPECT_EQ(out[3], in[4]) << r;
        EXPECT_EQ(out[4], in[5]) << r;
        const auto* digits = std::get_if<Decimal>(&in[6]);
        EXPECT_EQ(out[5], digits ? Value(QString::fromStdString(digits->digits)) : Value(Null{})) << r;
        EXPECT_EQ(out[6], in[7]) << r;
        EXPECT_EQ(out[7], in[8]) << r;
    }
    EXPECT_EQ(
        TestOdbc::texts(db, "SELECT d = 0.1, d = 5e-324, d = 0.30000000000000004 FROM k ORDER BY rowid"),
        (std::vector<QStringList>{
            {"1", "0", "0"}, {"0", "1", "0"}, {"0", "0", "1"}, {"<null>", "<null>", "<null>"}}));
}

// The driver stops an array at the row that fails and keeps the rows before
// it: the rows are sent again one at a time, so the refused rows are found
// and every other row is stored once. One row per batch, three, and more
// than there are rows.
TEST_F(BatchInsertTest, RefusedRowsAreReportedAndTheOthersStoredOnce) {
    TestOdbc::exec(db, {"CREATE TABLE t (id INTEGER, note TEXT)",
                        "CREATE TRIGGER no_bad BEFORE INSERT ON t WHEN NEW.note = 'bad' "
                        "BEGIN SELECT RAISE(ABORT, 'bad note'); END"});
    Rows rows;
    for (int id = 1; id <= 7; ++id)
        rows.push_back({std::int64_t(id), QString(id == 2 || id == 5 ? "bad" : "fine")});
    for (int perBatch : {1, 3, 100}) {
        TestOdbc::exec(db, {"DELETE FROM t"});
        const auto failures = Insert(db, "INSERT INTO t VALUES (?, ?)",
                                     {{Kind::Integer, 4, 10, 0}, TextParameter()}, perBatch, rows);

        ASSERT_EQ(failures.size(), 2u) << perBatch;
        EXPECT_EQ(failures[0].row, 2) << perBatch;
        EXPECT_EQ(failures[1].row, 5) << perBatch;
        EXPECT_TRUE(failures[1].error.description().contains("bad note")) << failures[1].error.what();
        EXPECT_EQ(failures[1].error.sqlStates(), QStringList{"HY000"});
        EXPECT_EQ(failures[1].error.nativeCodes().value(0), 19) << "SQLITE_CONSTRAINT";
        EXPECT_EQ(TestOdbc::texts(db, "SELECT group_concat(id) FROM (SELECT id FROM t ORDER BY id)"),
                  std::vector<QStringList>{{"1,3,4,6,7"}})
            << perBatch;
    }
}

// A value too long for the arrays goes alone and in pieces; values that fill
// the arrays past their budget end a batch early. Every row arrives whole, in
// order, once.
TEST_F(BatchInsertTest, LongValuesArriveWhole) {
    TestOdbc::exec(db, {"CREATE TABLE l (id INTEGER, tx TEXT, bl BLOB)"});
    Rows rows;
    for (int id = 1; id <= 42; ++id) {
        const int length = id == 40 ? 20'000'000 : 900'000 + id;
        rows.push_back({std::int64_t(id), QString(length, QChar(u'a' + id % 26)), QByteArray(id, char(id))});
    }
    EXPECT_TRUE(Insert(db, "INSERT INTO l VALUES (?, ?, ?)",
                       {{Kind::Integer, 4, 10, 0}, TextParameter(), {Kind::Binary, -4, 0, 0}}, 100, rows)
                    .empty());
    const auto stored = TestOdbc::rows(db, "SELECT id, tx, bl FROM l ORDER BY rowid");
    ASSERT_EQ(stored.size(), rows.size());
    for (size_t r = 0; r < rows.size(); ++r) EXPECT_TRUE(stored[r] == rows[r]) << "row " << r + 1;
}

}  // namespace
