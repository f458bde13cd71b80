#include "transfer/core/SendPlan.h"

#include <QLocale>
#include <algorithm>

#include "catalog/core/Identifiers.h"
#include "connections/core/Recordset.h"
#include "transfer/core/KeptTypes.h"
#include "transfer/core/TargetTable.h"
#include "transfer/core/CopyStatements.h"
#include "transfer/core/ValueText.h"

namespace SendPlan {

namespace {

using Datatype::Direction;

// The INSERT of the rows: literal values in quotes, or parameter markers.
QString InsertShape(Direction d, const QString& table, int columns, bool literal) {
    if (!literal) return Transfer::PreparedInsert(d, table, columns);
    QString statement = Transfer::InsertStart(d, table);
    for (int j = 0; j < columns; ++j) Transfer::AppendValue(d, statement, QStringLiteral("?"));
    Transfer::EndInsert(statement);
    return statement;
}

long long RowCount(Direction d, Db::Connection& source, const QString& table) {
    Db::Recordset count;
    count.Open(Transfer::CountAll(d, table), source);
    return ValueText(count.Fields(0).Value(), QLocale::c()).toLongLong();
}

// The source's columns and keys, and the statements made of them.
void Read(CommandHost& host, Direction d, Db::Connection& source, const QString& table,
          const Send::Options& options, Table& plan) {
    Db::Recordset rs;
    rs.Open(Transfer::SelectAll(d, table), source);
    // Its columns stay described once it is closed; the source is free again.
    rs.Close();
    if (d == Direction::ToAse && !TargetTable::AseCanDelimitColumns(rs))
        return host.message(Identifiers::AseRefusal(table));
    TargetTable::Kept kept = TargetTable::KeptOf(host, d, source, table, rs, options.keepTypes, options.keepKeys);
    plan.afterRows = std::move(kept.keys.afterRows);
    plan.notKept = std::move(kept.keys.notKept);
    if (plan.answer == Answer::Yes) plan.statements << Transfer::DropTarget(d, table);
    plan.statements << TargetTable::Create(d, table, rs, kept.columns);
    const bool literal = !options.keepTypes && options.batch == 0;
    plan.batch = literal ? 0 : std::max(options.batch, 1);
    plan.insert = InsertShape(d, table, rs.FieldCount(), literal);
    plan.rows = RowCount(d, source, table);
    plan.copied = true;
}

}  // namespace

Table For(CommandHost& host, Direction d, Db::Connection& source, const QString& table,
          const Send::Options& options) {
    Table plan;
    if (!Identifiers::AseCanDelimit(table)) {
        host.message(Identifiers::AseRefusal(table));
        return plan;
    }
    const Side target = d == Direction::ToAse ? Side::Ase : Side::Db2;
    if (Transfer::ListHasItem(host.list(target).items(), table)) {
        plan.answer = host.askOverwrite(table);
        if (plan.answer == Answer::No) return plan;
    }
    try {
        Read(host, d, source, table, options, plan);
    } catch (const Db::Error& e) {
        host.message(table + QStringLiteral(": ") + e.description());
        plan.copied = false;
    }
    return plan;
}

}  // namespace SendPlan
