#pragma once

#include <atomic>
#include <memory>

// Ends a statement that has waited too long. Some drivers do not honour the
// query timeout they are given (MariaDB's, measured), so a thread of its own
// calls SQLCancel on a watched statement once it has made no progress for
// its timeout. A long read that keeps fetching rows is progress, not a hang.
namespace Db {

class StatementWatch {
public:
    // Watches the statement handle until the watch ends; no watch at all
    // for a timeout of 0.
    StatementWatch(void* statementHandle, int timeoutSeconds);
    ~StatementWatch();
    StatementWatch(const StatementWatch&) = delete;
    StatementWatch& operator=(const StatementWatch&) = delete;

    // The statement is still moving (a row came in): the wait starts again.
    void progress();
    // True once the watchdog cancelled the statement.
    bool cancelled() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace Db
