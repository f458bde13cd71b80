#include <gtest/gtest.h>

#include <QStringList>

#include "connections/core/AdoTypes.h"
#include "transfer/core/Datatype.h"

using Datatype::Direction;

namespace {

// Every ADO code with its exact spelling.
const char* const kNames =
    "0 adEmpty 2 adSmallInt 3 adInteger 4 adSingle 5 adDouble 6 adCurrency 7 adDate 8 adBSTR "
    "9 adIDispatch 10 adError 11 adBoolean 12 adVariant 13 adIUnknown 14 adDecimal 16 adTinyInt "
    "17 adUnsignedTinyInt 18 adUnsignedSmallInt 19 adUnsignedInt 20 adBigInt 21 adUnsignedBigInt "
    "64 adFileTime 72 adGUID 128 adBinary 129 adChar 130 adWChar 131 adNumeric 132 adUserDefined "
    "133 adDBDate 134 adDBTime 135 adDBTimeStamp 136 adChapter 138 adPropVariant 139 adVarNumeric "
    "200 adVarChar 201 adLongVarChar 202 adVarWChar 203 adLongVarWChar 204 adVarBinary 205 adLongVarBinary";

}  // namespace

TEST(Datatype, AdoNamesAreSpelledExactly) {
    const QStringList words = QString::fromLatin1(kNames).split(QLatin1Char(' '));
    ASSERT_EQ(words.size(), 78);
    for (qsizetype i = 0; i < words.size(); i += 2)
        EXPECT_EQ(Db::AdoTypeName(qint16(words[i].toInt())).toStdString(), words[i + 1].toStdString());
}

// Sweeps every 16-bit code: only the 39 named ones have a name, only the two
// date types keep a type towards DB2, and ASE gets text whatever the code.
TEST(Datatype, EveryCodeMapsToATypeText) {
    int named = 0;
    for (int code = -32768; code <= 32767; ++code) {
        named += !Db::AdoTypeName(qint16(code)).isEmpty();
        const bool date = code == 7 || code == 133;
        ASSERT_EQ(Datatype::ColumnTypeTextFor(Direction::ToDb2, code),
                  date ? QStringLiteral(" DATE,") : QStringLiteral(" LONG VARCHAR,"))
            << code;
        ASSERT_EQ(Datatype::ColumnTypeTextFor(Direction::ToAse, code), QStringLiteral(" TEXT,")) << code;
    }
    EXPECT_EQ(named, 39);
}

TEST(Datatype, CodesBeyond16BitsDoNotAliasKnownTypes) {
    for (int code : {65536 + 7, -65536 + 133, 0x7fffffff}) {
        EXPECT_EQ(Datatype::ColumnTypeTextFor(Direction::ToDb2, code), QStringLiteral(" LONG VARCHAR,"))
            << code;
    }
}

TEST(Datatype, DateRuleIsACaseSensitiveSubstring) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"addate", " DATE,"},         {"adupdated", " DATE,"}, {"adDate", " LONG VARCHAR,"},
        {"ADDATE", " LONG VARCHAR,"}, {"", " LONG VARCHAR,"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Datatype::ColumnTypeText(Direction::ToDb2, QString::fromLatin1(c.name)),
                  QString::fromLatin1(c.expected))
            << c.name;
    }
}
