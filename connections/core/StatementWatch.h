#pragma once

#include <memory>

// Ends a statement that has waited too long. Some drivers do not honour the
// query timeout they are given (MariaDB's, measured), so a thread of its own
// calls SQLCancel on a watched statement once it has made no progress for
// its timeout. A long read that keeps fetching rows is progress, not a hang.
namespace Db {

class StatementWatch {
public:
    // Watches the statement handle until the watch ends: armed at once with
    // the timeout given (none for 0), or, without one, from each arm() to
    // its disarm(), so that a handle that runs statement after statement is
    // registered once.
    StatementWatch(void* statementHandle, int timeoutSeconds);
    explicit StatementWatch(void* statementHandle);
    ~StatementWatch();
    StatementWatch(const StatementWatch&) = delete;
    StatementWatch& operator=(const StatementWatch&) = delete;

    void arm(int timeoutSeconds);
    void disarm();
    // The statement is still moving (a row came in): the wait starts again.
    void progress();
    // True once the watchdog cancelled the statement since it was armed.
    bool cancelled() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

// Arms a watch for one call and disarms it after, however the call ends.
class Armed {
public:
    Armed(StatementWatch& watch, int timeoutSeconds) : watch_(watch) { watch_.arm(timeoutSeconds); }
    ~Armed() { watch_.disarm(); }
    Armed(const Armed&) = delete;
    Armed& operator=(const Armed&) = delete;

private:
    StatementWatch& watch_;
};

}  // namespace Db
