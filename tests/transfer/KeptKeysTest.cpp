#include <gtest/gtest.h>

#include "transfer/core/KeptKeys.h"

using Datatype::Direction;

// Each source's spelling of a default, as the target gets it.
TEST(KeptKeys, DefaultsInEachTargetsSpelling) {
    const struct {
        const char* source;
        const char* db2;
        const char* ase;
    } cases[] = {
        {"42", "42", "42"},
        {"((-1.5e3))", "-1.5e3", "-1.5e3"},
        {"'it''s'", "'it''s'", "'it''s'"},
        {"DEFAULT  'x'", "'x'", "'x'"},
        {"NULL", "", ""},
        {"current_timestamp()", "CURRENT TIMESTAMP", "getdate()"},
        {"CURRENT TIMESTAMP", "CURRENT TIMESTAMP", "getdate()"},
        {"getdate()", "CURRENT TIMESTAMP", "getdate()"},
        {"CURRENT_DATE", "CURRENT DATE", "current_date()"},
        {"curdate()", "CURRENT DATE", "current_date()"},
        {"CURRENT TIME", "CURRENT TIME", "current_time()"},
        {"current_time()", "CURRENT TIME", "current_time()"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeptKeys::DefaultFor(Direction::ToDb2, c.source).text, QLatin1String(c.db2)) << c.source;
        EXPECT_EQ(KeptKeys::DefaultFor(Direction::ToAse, c.source).text, QLatin1String(c.ase)) << c.source;
    }
    for (const char* expression : {"(\"n\" + 1)", "(40 + 2)", "nextval('s')", "it''s"})
        EXPECT_TRUE(KeptKeys::DefaultFor(Direction::ToAse, expression).isExpression) << expression;
    EXPECT_EQ(KeptKeys::WithDefault(Direction::ToAse, "int not null", "5"), "int default 5 not null");
    EXPECT_EQ(KeptKeys::WithDefault(Direction::ToDb2, "INTEGER NOT NULL", "5"), "INTEGER DEFAULT 5 NOT NULL");
    EXPECT_EQ(KeptKeys::WithDefault(Direction::ToDb2, "DATE", "CURRENT DATE"), "DATE DEFAULT CURRENT DATE");
}

// The statements after the rows, key first, then unique, then the others;
// a name the target cannot take is made within its limit.
TEST(KeptKeys, KeyAndIndexStatementsInOrder) {
    Db::TableShape shape;
    shape.primaryKey = {"", true, {{"b", false}, {"a", false}}};
    shape.indexes = {{"ix", false, {{"n", true}, {"t", false}}}, {"u]q", true, {{"u", false}}}};
    shape.defaults = {{"n", "42"}, {"e", "(\"n\" + 1)"}};
    shape.foreignKeys = {{"fk", "FOREIGN KEY (p) REFERENCES parent (id)"}};
    shape.checks = {{"ck", "CHECK (n > 0)"}};
    shape.triggers = {{"tr", "CREATE TRIGGER tr ..."}};
    shape.autoIncrement = {"id"};
    const struct {
        Direction d;
        QStringList statements;
    } cases[] = {
        {Direction::ToDb2,
         {R"(ALTER TABLE "k" ADD CONSTRAINT "k_b_a_pk" PRIMARY KEY ("b", "a"))",
          R"(CREATE UNIQUE INDEX "u]q" ON "k" ("u"))", R"(CREATE INDEX "ix" ON "k" ("n" DESC, "t"))"}},
        {Direction::ToAse,
         {"ALTER TABLE [k] ADD CONSTRAINT [k_b_a_pk] PRIMARY KEY ([b], [a])",
          "CREATE UNIQUE INDEX [k_u_uq] ON [k] ([u])", "CREATE INDEX [ix] ON [k] ([n] DESC, [t])"}},
    };
    for (const auto& c : cases) {
        const KeptKeys::Plan plan = KeptKeys::For(c.d, "k", {"id", "n", "e"}, shape);
        QStringList statements;
        for (const KeptKeys::Step& s : plan.afterRows) statements << s.statement;
        EXPECT_EQ(statements, c.statements);
        EXPECT_EQ(plan.defaults, (std::vector<QString>{"", "42", ""}));
        QStringList named;
        for (const KeptKeys::NotKept& n : plan.notKept) named << n.what;
        EXPECT_EQ(named, QStringList({"foreign key fk", "check constraint ck", "trigger tr",
                                      "auto-increment column id", "expression default of column e"}));
    }
    const Db::Key wide{"", false, {{QString(300, QChar(0x00e9)), false}}};
    for (Direction d : {Direction::ToDb2, Direction::ToAse}) {
        const QString made = KeptKeys::KeyName(d, QString(), "t", wide, "ix");
        EXPECT_LE(made.toUtf8().size(), d == Direction::ToAse ? 253 : 128);
        EXPECT_TRUE(made.startsWith("t_") && made.endsWith("_ix")) << made.toStdString();
    }
}
