#pragma once

#include <QStringList>
#include <QTextStream>

#include "catalog/core/LoggedHost.h"
#include "cli/Arguments.h"
#include "cli/ConsoleHost.h"

// send, delete and rename as a dry run: for each table, what the command
// would send is printed, and nothing is sent that changes a database. The
// source of a send is read (its columns, keys and row count); a table the
// command would refuse is told on the console as the command tells it.
// The log gets one line, saying it was a dry run.
namespace DryRun {

// items: the list's items the names select; an empty text for a name that
// selects none.
void Run(const Arguments& a, ConsoleHost& console, LoggedHost& log, const QStringList& items,
         QTextStream& out);

}  // namespace DryRun
