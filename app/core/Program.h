#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// One run of the program. Closing either window ends it at once, also while
// a command is running inside a yield: the command then unwinds from its
// next yield, releasing its connections on the way, and nothing more is
// written to the settings.
class Program {
public:
    // Raised from a yield once the program is ending; every command lets it
    // pass.
    struct Ending {};

    // yieldIntervalMs: how long DoEvents lets pass between two real yields.
    explicit Program(int yieldIntervalMs = 20);

    // Marks the program as ending and asks the event loop to quit.
    void End();
    bool IsEnding() const { return ending_; }

    // Hands control to the event loop so the window repaints and answers
    // clicks during a long command, then raises Ending if the program ended
    // meanwhile. Called at every row and value of a transfer, it really
    // yields only when the interval has passed since it last did, so the
    // yields cost next to nothing.
    void DoEvents();

    // Runs a window command from the event loop: an ending program stops it.
    void Run(const std::function<void()>& command);

    // The folder that holds the running executable, where the optional
    // files beside the program (HAND-M.CUR, x/o.cjs) are looked for. Links
    // are resolved: started as /usr/bin/velmarch, a link, it is the real
    // file's folder, /usr/lib/velmarch in the package. Needs the
    // application object.
    static QString Folder();
    // From now on Folder() is the given folder (a test's own); the empty
    // text goes back to the executable's.
    static void SetFolder(const QString& folder);

private:
    bool ending_ = false;
    int interval_;
    qint64 last_ = -1;
};
