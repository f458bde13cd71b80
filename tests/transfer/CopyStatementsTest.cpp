#include <gtest/gtest.h>

#include <QStringList>
#include <utility>
#include <vector>

#include "connections/core/BatchInsert.h"
#include "connections/core/Connection.h"
#include "support/TestOdbc.h"
#include "transfer/core/CopyStatements.h"
#include "transfer/core/ValueText.h"

using Datatype::Direction;

namespace {

// The statements put together from their pieces in the order the transfer
// appends them.
QString Create(Direction d, const QString& table, const std::vector<std::pair<QString, int>>& columns) {
    QString s = Transfer::CreateTableStart(d, table);
    for (const auto& [name, type] : columns) Transfer::AppendColumn(d, s, name, type);
    Transfer::EndCreateTable(d, s);
    return s;
}

QString Insert(Direction d, const QString& table, const QStringList& texts) {
    QString s = Transfer::InsertStart(d, table);
    for (const QString& t : texts) Transfer::AppendValue(d, s, t);
    Transfer::EndInsert(s);
    return s;
}

const auto ToAse = Direction::ToAse;
const auto ToDb2 = Direction::ToDb2;

}  // namespace

TEST(CopyStatements, CreateTableShapes) {
    struct Case {
        Direction d;
        QString table;
        std::vector<std::pair<QString, int>> columns;
        QString expected;
    };
    const std::vector<std::pair<QString, int>> customer{{"ID", 3}, {"NAME", 200}, {"BORN", 133}};
    const std::vector<Case> cases{
        {ToAse, "CUSTOMER", customer, "CREATE TABLE [CUSTOMER]([ID] TEXT,[NAME] TEXT,[BORN] TEXT)"},
        {ToDb2, "CUSTOMER", customer,
         "CREATE TABLE \"CUSTOMER\"(\"ID\" LONG VARCHAR,\"NAME\" LONG VARCHAR,\"BORN\" DATE);"},
        {ToAse, "t", {{"c", 3}}, "CREATE TABLE [t]([c] TEXT)"},
        {ToDb2, "t", {{"c", 7}}, "CREATE TABLE \"t\"(\"c\" DATE);"},
        // Times, timestamps and codes ADO does not name stay text.
        {ToDb2,
         "t",
         {{"tm", 134}, {"ts", 135}, {"arr", 0x2000 | 3}},
         "CREATE TABLE \"t\"(\"tm\" LONG VARCHAR,"
         "\"ts\" LONG VARCHAR,\"arr\" LONG VARCHAR);"},
        {ToAse, "t", {{"arr", 0x2000 | 133}}, "CREATE TABLE [t]([arr] TEXT)"},
        // A name is always one identifier: quotes doubled towards DB2, and
        // towards ASE anything but ']' stands inside the brackets.
        {ToDb2,
         "a\"b",
         {{"c\"); DROP TABLE \"x", 3}},
         "CREATE TABLE \"a\"\"b\"(\"c\"\"); DROP TABLE \"\"x\" LONG VARCHAR);"},
        {ToAse, "it's [\"x\"]", {{"Zoë 東京", 200}}, "CREATE TABLE [it's [\"x\"]]([Zoë 東京] TEXT)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Create(c.d, c.table, c.columns).toStdString(), c.expected.toStdString());
}

TEST(CopyStatements, InsertValueLists) {
    struct Case {
        Direction d;
        QStringList texts;
        QString valueList;
    };
    const std::vector<Case> cases{
        {ToAse, {"7", "O'Brien", "5/1/2021"}, "('7', 'O''Brien', '5/1/2021')"},
        {ToAse, {"7", "", "5/1/2021"}, "('7', '', '5/1/2021')"},
        {ToDb2, {"7", "O'Brien", "5/1/2021"}, "('7', 'O''Brien', '5/1/2021')"},
        {ToDb2, {"7", "", "5/1/2021"}, "('7', NULL, '5/1/2021')"},
        {ToDb2, {"", "7"}, "(NULL, '7')"},
        {ToDb2, {"7", ""}, "('7', NULL)"},
        {ToDb2, {"", ""}, "(NULL, NULL)"},
        {ToDb2, {""}, "(NULL)"},
        {ToAse, {""}, "('')"},
        {ToAse, {"x"}, "('x')"},
        // Quotes are doubled wherever they stand; nothing else is touched.
        {ToAse, {"'", "''", "'a'b'"}, "('''', '''''', '''a''b''')"},
        {ToDb2, {"say \"hi\" [x]; --", "it's"}, "('say \"hi\" [x]; --', 'it''s')"},
        {ToAse, {" ", "NULL"}, "(' ', 'NULL')"},
    };
    for (const Case& c : cases) {
        const QString table = c.d == ToAse ? "[T]" : "\"T\"";
        EXPECT_EQ(Insert(c.d, "T", c.texts).toStdString(),
                  ("INSERT INTO " + table + " VALUES" + c.valueList).toStdString());
    }
}

TEST(CopyStatements, InsertNamesTheTargetTableDelimited) {
    EXPECT_EQ(Insert(ToDb2, "my \"big\" table", {"1"}), "INSERT INTO \"my \"\"big\"\" table\" VALUES('1')");
    EXPECT_EQ(Insert(ToAse, "my [big] \"table", {"1"}), "INSERT INTO [my [big] \"table] VALUES('1')");
}

TEST(CopyStatements, LongValueWithManyQuotesIsDoubledWhole) {
    QString value;
    for (int i = 0; i < 20000; ++i) value += QStringLiteral("a'");
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    EXPECT_EQ(Insert(ToAse, "t", {value, "z"}), "INSERT INTO [t] VALUES('" + doubled + "', 'z')");
}

// The same rows sent as literal INSERTs and as text parameters arrive as the
// same values of the same storage class, each direction into its own column
// types: NULL and empty texts, quotes, non-ASCII, numbers, dates and bytes.
TEST(CopyStatements, TextParametersStoreWhatTheLiteralsStore) {
    const std::vector<std::pair<QString, int>> columns{{"id", 3},      {"name", 200}, {"amount", 5},
                                                       {"born", 133},  {"at", 135},   {"flag", 11},
                                                       {"price", 131}, {"photo", 128}};
    const std::vector<std::vector<Db::Value>> rows{
        {std::int64_t(7), QString("O'Brien \"東京\" 😀"), 0.1, Db::Date{2021, 5, 1},
         Db::Timestamp{{2021, 5, 1}, {13, 45, 6, 123456000}}, true, Db::Decimal{"-12.50"},
         QByteArray("\0\xff", 2)},
        {Db::Null{}, QString(""), Db::Null{}, Db::Null{}, Db::Null{}, Db::Null{}, Db::Null{}, QByteArray()},
        {std::int64_t(-9007199254740993), QString("NULL"), 1e15, Db::Date{1, 1, 1},
         Db::Timestamp{{1999, 12, 31}, {0, 0, 0, 0}}, false, Db::Decimal{"12345678901234567890.1"},
         QByteArray("x")},
    };
    for (Direction d : {ToAse, ToDb2}) {
        const QString db = TestOdbc::freshFolder() + "/target.db";
        TestOdbc::exec(db, {Create(d, "literal", columns), Create(d, "bound", columns)});
        Db::Connection target;
        target.Open(d == ToAse ? TestOdbc::aseString(db) : TestOdbc::db2String(db));
        {
            const QString bound = d == ToAse ? "[bound]" : "\"bound\"";
            Db::BatchInsert insert(target, "INSERT INTO " + bound + " VALUES(?, ?, ?, ?, ?, ?, ?, ?)",
                                   std::vector<Db::Parameter>(columns.size(), Db::TextParameter()), 2);
            for (const auto& row : rows) {
                QStringList texts;
                std::vector<Db::Value> values;
                for (size_t j = 0; j < row.size(); ++j) {
                    static const Db::Value empty = QString();
                    const Db::Value& v = Transfer::ValueOrDefault(row[j], empty);
                    texts << (Transfer::TakesDb2Date(d, columns[j].second) ? Db2DateText(v) : ValueText(v));
                    values.push_back(Transfer::BoundText(d, texts.back()));
                }
                target.Execute(Insert(d, "literal", texts));
                EXPECT_TRUE(insert.add(values).empty());
            }
            EXPECT_TRUE(insert.flush().empty());
        }
        target.Close();

        const QString stored =
            "SELECT typeof(id), id, typeof(name), name, typeof(amount), amount, typeof(born), "
            "born, typeof(at), at, typeof(flag), flag, typeof(price), price, typeof(photo), "
            "photo FROM %1 ORDER BY rowid";
        const auto literal = TestOdbc::texts(db, stored.arg("literal"));
        ASSERT_EQ(literal.size(), rows.size());
        EXPECT_EQ(TestOdbc::texts(db, stored.arg("bound")), literal);
        EXPECT_EQ(literal[1][3], d == ToAse ? "" : "<null>") << "the empty name";
    }
}

TEST(CopyStatements, ReadAndDropNameEachSideItsOwnWay) {
    EXPECT_EQ(Transfer::SelectAll(ToAse, "EMP \"1\""), "SELECT * FROM \"EMP \"\"1\"\"\"");
    EXPECT_EQ(Transfer::SelectAll(ToDb2, "emp [1"), "SELECT * FROM [emp [1]");
    EXPECT_EQ(Transfer::DropTarget(ToAse, "EMP"), "DROP TABLE [EMP]");
    EXPECT_EQ(Transfer::DropTarget(ToDb2, "a\"b"), "DROP TABLE \"a\"\"b\"");
}

TEST(TransferLists, ExistenceIgnoresCase) {
    struct Case {
        QStringList items;
        QString name;
        bool expected;
    };
    // Each letter maps to one letter: "İ" to "i", never to "i" and a
    // combining dot, and a letter beyond 16 bits (a surrogate pair) is one
    // letter too.
    const std::vector<Case> cases{
        {{"emp"}, "EMP", true},   {{"EMP"}, "emp", true},    {{"a", "b", "Emp"}, "eMP", true},
        {{"ZOË"}, "zoë", true},   {{}, "emp", false},        {{"emp2", "temp", "em"}, "emp", false},
        {{"emp "}, "emp", false}, {{"i\u0307"}, "İ", false}, {{"𐐨"}, "𐐀", true},
        {{"i"}, "İ", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Transfer::ListHasItem(c.items, c.name), c.expected) << c.name.toStdString();
}
