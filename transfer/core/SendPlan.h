#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "catalog/core/CommandHost.h"
#include "connections/core/Connection.h"
#include "transfer/core/Datatype.h"
#include "transfer/core/KeptKeys.h"
#include "transfer/core/Send.h"

// What a send would do with one table, worked out as the copy works it out,
// with the same checks, the same overwrite question and the same
// statements, none of them sent. The source is only read (its columns, its
// keys, its row count); the target is not reached: its list tells whether
// it has the table.
namespace SendPlan {

struct Table {
    // False when the copy would pass the table over; the host has been
    // told why, as the copy tells it.
    bool copied = false;
    // The host's answer to the overwrite question; none when the target's
    // list does not have the table.
    std::optional<Answer> answer;
    long long rows = 0;      // in the source
    QStringList statements;  // as they would go: the DROP when replacing, the CREATE TABLE
    QString insert;          // the rows' INSERT, with '?' for each value
    int batch = 0;           // rows bound per execution; 0 for a literal INSERT per row
    std::vector<KeptKeys::Step> afterRows;
    std::vector<KeptKeys::NotKept> notKept;
};

Table For(CommandHost& host, Datatype::Direction d, Db::Connection& source, const QString& table,
          const Send::Options& options);

}  // namespace SendPlan
