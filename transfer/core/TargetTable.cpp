#include "transfer/core/TargetTable.h"

#include "catalog/core/Identifiers.h"
#include "connections/core/TableShape.h"
#include "transfer/core/CopyStatements.h"

namespace TargetTable {

bool AseCanDelimitColumns(const Db::Recordset& rs) {
    for (int j = 0; j < rs.FieldCount(); ++j)
        if (!Identifiers::AseCanDelimit(rs.Fields(j).Name)) return false;
    return true;
}

void AppendColumn(Direction d, QString& statement, const Db::Field& field, const KeptTypes::Column* kept) {
    if (kept)
        Transfer::AppendKeptColumn(d, statement, field.Name, kept->type);
    else
        Transfer::AppendColumn(d, statement, field.Name, field.Type);
}

QString Create(Direction d, const QString& table, const Db::Recordset& source,
               const std::vector<KeptTypes::Column>& kept) {
    QString statement = Transfer::CreateTableStart(d, table);
    for (int j = 0; j < source.FieldCount(); ++j)
        AppendColumn(d, statement, source.Fields(j), kept.empty() ? nullptr : &kept[size_t(j)]);
    Transfer::EndCreateTable(d, statement);
    return statement;
}

KeptKeys::Plan ReadKeys(CommandHost& host, Direction d, Db::Connection& source, const QString& table,
                        const Db::Recordset& rs, std::vector<KeptTypes::Column>& kept) {
    QStringList columns;
    for (int j = 0; j < rs.FieldCount(); ++j) columns << rs.Fields(j).Name;
    KeptKeys::Plan keys;
    try {
        const Db::TableShape shape = Db::ReadTableShape(source, table, Transfer::SelectAll(d, table));
        keys = KeptKeys::For(d, table, columns, shape);
    } catch (const Db::Error& e) {
        host.message(table + QStringLiteral(": its keys, indexes and defaults cannot be read: ") +
                     e.description());
    }
    for (size_t j = 0; j < kept.size() && j < keys.defaults.size(); ++j)
        kept[j].type = KeptKeys::WithDefault(d, kept[j].type, keys.defaults[j]);
    return keys;
}

Kept KeptOf(CommandHost& host, Direction d, Db::Connection& source, const QString& table, const Db::Recordset& rs,
            bool keepTypes, bool keepKeys) {
    Kept kept;
    if (!keepTypes) return kept;
    KeptTypes::Table types = KeptTypes::For(d, table, rs);
    kept.columns = std::move(types.columns);
    for (const QString& note : types.notes) host.note(note);
    if (keepKeys) kept.keys = ReadKeys(host, d, source, table, rs, kept.columns);
    return kept;
}

}  // namespace TargetTable
