#pragma once

#include <QStringList>
#include <QTextStream>

#include "connections/core/Profile.h"
#include "transfer/core/Send.h"

class ActivityLog;
class ConsoleHost;

// Tables sent side by side: each table is a send of its own, on its own
// pair of connections with its own spool and its own run in the log, and
// up to a number of them run at once, each on a thread of its own. What
// they tell the console goes through one lock, a line at a time.
namespace Jobs {

// Where the tables' sends tell what they do.
struct Console {
    ConsoleHost& host;  // the answers, the failures, the lines of ended tables, the summary
    ActivityLog& log;
    QString command;   // names the runs in the log
    QTextStream& out;  // the host's standard output, for the live lines
    bool terminal;     // live lines, redrawn in place, only on a terminal
};

// Sends the tables (items of the source side's list, each once) to the
// other side, up to jobs at once, and puts the summary in their order.
// After a Ctrl-C each running table stops at its next safe point, no
// further table starts, and Program::Ending is raised once all have.
void SendAll(const Console& console, Side source, QStringList tables, const Send::Options& options, int jobs);

}  // namespace Jobs
