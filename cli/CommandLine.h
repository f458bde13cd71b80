#pragma once

#include <QStringList>

// velmarch on the command line: the same table commands as the windows,
// driven by arguments, with no display.
namespace CommandLine {

// True when the arguments (without the program's name) ask for the command
// line rather than the windows.
bool Wanted(const QStringList& args);

// Runs it and returns the exit status: 0 when everything went, 1 when a
// table or row did not, 2 for a usage error or a login that does not open,
// 130 when stopped by Ctrl-C.
int Run(const QStringList& args);

}  // namespace CommandLine
