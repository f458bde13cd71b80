#pragma once

#include <functional>

// Ending the program: closing either window ends it at once, also while a
// command is running inside a yield. The command then unwinds from its next
// yield, releasing its connections on the way; nothing more is written to
// the settings.
namespace Program {

struct Ending {};

// Marks the program as ending and asks the event loop to quit.
void End();
bool IsEnding();
// Called by DoEvents after each yield: raises Ending once End was called.
void CheckNotEnding();

// Runs a window command from the event loop: an ending program stops it.
void Run(const std::function<void()>& command);

// Tests start each case from a running program.
void ResetForTests();

}  // namespace Program
