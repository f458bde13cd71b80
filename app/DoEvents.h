#pragma once

// Hands control to the event loop so the window repaints and answers clicks
// during a long command. Called at every row and value of a transfer, it
// really yields only when some 20 ms have passed since it last did, so the
// yields cost next to nothing.
void DoEvents();

// How long DoEvents lets pass between two real yields (20 ms); tests set 0
// to yield at every call.
void SetYieldInterval(int milliseconds);
