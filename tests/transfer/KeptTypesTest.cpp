#include <gtest/gtest.h>

#include "transfer/core/KeptTypes.h"

using Datatype::Direction;

namespace {

// ODBC SQL types by number, as drivers report them.
enum : int {
    Bit = -7,
    TinyInt = -6,
    SmallInt = 5,
    Integer = 4,
    BigInt = -5,
    Decimal = 3,
    Numeric = 2,
    Real = 7,
    Float = 6,
    Double = 8,
    Char = 1,
    VarChar = 12,
    LongVarChar = -1,
    WChar = -8,
    WVarChar = -9,
    WLongVarChar = -10,
    Binary = -2,
    VarBinary = -3,
    LongVarBinary = -4,
    Date = 91,
    Time = 92,
    Timestamp = 93,
    Guid = -11,
    DriversOwn = -370,
};

struct Case {
    int sqlType;
    unsigned long long size;
    int digits;
    bool nullable;
    bool isUnsigned;
    const char* toDb2;
    const char* toAse;
};

// Each kind at the edges of its limits, nullable or not, signed or not.
const Case kCases[] = {
    {Bit, 1, 0, false, true, "SMALLINT NOT NULL", "bit not null"},
    {Bit, 1, 0, true, true, "SMALLINT", "tinyint null"},
    {TinyInt, 3, 0, true, false, "SMALLINT", "smallint null"},
    {TinyInt, 3, 0, true, true, "SMALLINT", "tinyint null"},
    {SmallInt, 5, 0, false, false, "SMALLINT NOT NULL", "smallint not null"},
    {SmallInt, 5, 0, true, true, "INTEGER", "unsigned smallint null"},
    {Integer, 10, 0, true, false, "INTEGER", "int null"},
    {Integer, 10, 0, true, true, "BIGINT", "unsigned int null"},
    {BigInt, 19, 0, false, false, "BIGINT NOT NULL", "bigint not null"},
    {BigInt, 20, 0, true, true, "DECIMAL(20,0)", "unsigned bigint null"},
    {Decimal, 10, 2, false, false, "DECIMAL(10,2) NOT NULL", "numeric(10,2) not null"},
    {Numeric, 31, 31, true, false, "DECIMAL(31,31)", "numeric(31,31) null"},
    {Decimal, 32, 4, true, false, "DECFLOAT(34)", "numeric(32,4) null"},
    {Decimal, 34, 0, true, false, "DECFLOAT(34)", "numeric(34,0) null"},
    {Decimal, 35, 5, true, false, "VARCHAR(37)", "numeric(35,5) null"},
    {Numeric, 38, 10, true, false, "VARCHAR(40)", "numeric(38,10) null"},
    {Numeric, 40, 10, true, false, "VARCHAR(42)", "varchar(42) null"},
    {Numeric, 38, 38, true, false, "VARCHAR(41)", "numeric(38,38) null"},
    {Numeric, 40, 40, true, false, "VARCHAR(43)", "varchar(43) null"},
    {Real, 7, 0, true, false, "REAL", "real null"},
    {Float, 15, 0, true, false, "DOUBLE", "double precision null"},
    {Double, 15, 0, false, false, "DOUBLE NOT NULL", "double precision not null"},
    // A fixed width is kept; other text is sized in bytes, 4 to a character.
    {Char, 10, 0, false, false, "CHAR(10) NOT NULL", "char(10) not null"},
    {Char, 254, 0, true, false, "CHAR(254)", "char(254) null"},
    {Char, 255, 0, true, false, "VARCHAR(1020)", "char(255) null"},
    {Char, 1963, 0, true, false, "VARCHAR(7852)", "text null"},
    {VarChar, 40, 0, true, false, "VARCHAR(160)", "varchar(160) null"},
    {VarChar, 8168, 0, true, false, "VARCHAR(32672)", "text null"},
    {VarChar, 8169, 0, true, false, "CLOB", "text null"},
    {VarChar, 0, 0, true, false, "CLOB", "text null"},
    {LongVarChar, 65535, 0, false, false, "CLOB NOT NULL", "text not null"},
    {WChar, 20, 0, true, false, "VARGRAPHIC(20)", "univarchar(20) null"},
    {WVarChar, 981, 0, true, false, "VARGRAPHIC(981)", "univarchar(981) null"},
    {WVarChar, 982, 0, true, false, "VARGRAPHIC(982)", "unitext null"},
    {WVarChar, 16336, 0, true, false, "VARGRAPHIC(16336)", "unitext null"},
    {WVarChar, 16337, 0, true, false, "DBCLOB", "unitext null"},
    {WLongVarChar, 1073741823, 0, true, false, "DBCLOB", "unitext null"},
    {Binary, 16, 0, false, false, "VARBINARY(16) NOT NULL", "varbinary(16) not null"},
    {VarBinary, 1962, 0, true, false, "VARBINARY(1962)", "varbinary(1962) null"},
    {VarBinary, 1963, 0, true, false, "VARBINARY(1963)", "image null"},
    {VarBinary, 32673, 0, true, false, "BLOB", "image null"},
    {LongVarBinary, 65535, 0, true, false, "BLOB", "image null"},
    {Date, 10, 0, false, false, "DATE NOT NULL", "date not null"},
    // A scale of 0 may be a driver's silence: the most the source holds.
    {Time, 8, 0, true, false, "LONG VARCHAR", "time null"},
    {Time, 12, 3, false, false, "LONG VARCHAR", "bigtime not null"},
    {Time, 16, 7, true, false, "LONG VARCHAR", "TEXT"},
    {Timestamp, 32, 0, true, false, "TIMESTAMP(6)", "bigdatetime null"},
    {Timestamp, 23, 3, true, false, "TIMESTAMP(3)", "bigdatetime null"},
    {Timestamp, 26, 6, false, false, "TIMESTAMP(6) NOT NULL", "bigdatetime not null"},
    {Timestamp, 29, 9, true, false, "TIMESTAMP(9)", "varchar(32) null"},
    {Timestamp, 32, 12, true, false, "TIMESTAMP(12)", "varchar(32) null"},
    {Guid, 36, 0, false, false, "CHAR(36) NOT NULL", "char(36) not null"},
    {DriversOwn, 100, 0, true, false, "CLOB", "text null"},
};

}  // namespace

TEST(KeptTypes, EachSourceColumnKeepsItsKindOnEitherSide) {
    for (const Case& c : kCases) {
        const Db::ColumnDescription source{c.sqlType, c.size, c.digits, c.nullable, c.isUnsigned};
        const QString row =
            QStringLiteral("type %1 size %2 digits %3").arg(c.sqlType).arg(c.size).arg(c.digits);
        EXPECT_EQ(KeptTypes::For(Direction::ToDb2, source).type, QLatin1String(c.toDb2)) << row.toStdString();
        EXPECT_EQ(KeptTypes::For(Direction::ToAse, source).type, QLatin1String(c.toAse)) << row.toStdString();
    }
}

// Only the types that take a value in another form change it.
TEST(KeptTypes, ValuesTakeTheFormTheKeptTypeNeeds) {
    using KeptTypes::Convert;
    using KeptTypes::For;
    const Db::ColumnDescription nullableBit{Bit, 1, 0, true, true}, bit{Bit, 1, 0, false, true};
    EXPECT_EQ(Convert(For(Direction::ToAse, nullableBit), true), Db::Value(std::int64_t(1)));
    EXPECT_EQ(Convert(For(Direction::ToDb2, bit), false), Db::Value(std::int64_t(0)));
    EXPECT_EQ(Convert(For(Direction::ToAse, bit), true), Db::Value(true));
    EXPECT_EQ(Convert(For(Direction::ToAse, nullableBit), Db::Null{}), Db::Value(Db::Null{}));

    const Db::Timestamp ts{{2021, 5, 1}, {13, 45, 6, 123456789}};
    EXPECT_EQ(Convert(For(Direction::ToAse, {Timestamp, 29, 9, true, false}), ts),
              Db::Value(QString("2021-05-01 13:45:06.123456789")));
    EXPECT_EQ(Convert(For(Direction::ToAse, {Timestamp, 27, 7, true, false}), ts),
              Db::Value(QString("2021-05-01 13:45:06.1234567")));
    EXPECT_EQ(Convert(For(Direction::ToAse, {Timestamp, 32, 12, true, false}), ts),
              Db::Value(QString("2021-05-01 13:45:06.123456789000")));
    EXPECT_EQ(Convert(For(Direction::ToDb2, {Timestamp, 29, 9, true, false}), ts), Db::Value(ts));

    EXPECT_EQ(Convert(For(Direction::ToDb2, {DriversOwn, 0, 0, true, false}), 2.5),
              Db::Value(QString("2.5")));
    EXPECT_EQ(Convert(For(Direction::ToAse, {Guid, 36, 0, true, false}), Db::Guid{"{0A-1B}"}),
              Db::Value(Db::Guid{"{0A-1B}"}))
        << "the binding writes a GUID's 36 characters";
}
