#pragma once

#include <QString>
#include <vector>

#include "catalog/core/CommandHost.h"
#include "connections/core/Connection.h"
#include "connections/core/Recordset.h"
#include "transfer/core/KeptKeys.h"
#include "transfer/core/KeptTypes.h"

// The target table of a copy as the open source describes it: its CREATE
// TABLE and, with kept keys, what follows the rows. The copy builds the
// CREATE TABLE a column at a time; a dry run builds it whole; both from the
// same pieces, so that what a dry run prints is what the copy sends.
namespace TargetTable {

using Datatype::Direction;

// True when ASE can take every column name in brackets.
bool AseCanDelimitColumns(const Db::Recordset& rs);

// One source column: its kept type where there is one (kept types),
// else the type its field's code maps to.
void AppendColumn(Direction d, QString& statement, const Db::Field& field, const KeptTypes::Column* kept);

// The whole CREATE TABLE; kept is empty unless types are kept.
QString Create(Direction d, const QString& table, const Db::Recordset& source,
               const std::vector<KeptTypes::Column>& kept);

// The source table's keys, indexes and defaults, each constant default
// written into its kept column's type. When they cannot be read the host
// is told, and the copy goes on without them.
KeptKeys::Plan ReadKeys(CommandHost& host, Direction d, Db::Connection& source, const QString& table,
                        const Db::Recordset& rs, std::vector<KeptTypes::Column>& kept);

// What the options keep of the source table: with kept types each column's
// type (each column that keeps none named to the host in a note), and with
// kept keys what goes with them.
struct Kept {
    std::vector<KeptTypes::Column> columns;
    KeptKeys::Plan keys;
};
Kept KeptOf(CommandHost& host, Direction d, Db::Connection& source, const QString& table, const Db::Recordset& rs,
            bool keepTypes, bool keepKeys);

}  // namespace TargetTable
