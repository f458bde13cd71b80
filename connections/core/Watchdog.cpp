#include "connections/core/Watchdog.h"

#include <sql.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace Db {

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

}  // namespace

struct StatementWatch::State {
    void* handle;
    std::int64_t timeoutMs;
    std::atomic<std::int64_t> lastMs;
    std::atomic<bool> cancelled{false};
};

namespace {

// One thread for the whole process, started by the first watch. It looks
// at the watched statements a few times a second; a statement is cancelled
// while the watch is held, so its handle cannot be freed meanwhile.
class Watchdog {
public:
    static Watchdog& instance() {
        static Watchdog dog;
        return dog;
    }

    void add(const std::shared_ptr<StatementWatch::State>& s) {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
        watched_.push_back(s);
        wake_.notify_one();
    }

    void remove(const std::shared_ptr<StatementWatch::State>& s) {
        std::lock_guard lock(mutex_);
        watched_.erase(std::remove(watched_.begin(), watched_.end(), s), watched_.end());
    }

    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            wake_.notify_one();
        }
        if (thread_.joinable()) thread_.join();
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            if (watched_.empty()) {
                wake_.wait(lock);
                continue;
            }
            wake_.wait_for(lock, std::chrono::milliseconds(100));
            const std::int64_t now = nowMs();
            for (const auto& s : watched_) {
                if (s->cancelled || now - s->lastMs.load(std::memory_order_relaxed) < s->timeoutMs) continue;
                // Marked first: the statement may fail, and be looked at,
                // before SQLCancel has even returned. A cancel the driver
                // refuses is tried again after another timeout.
                s->cancelled = true;
                const SQLRETURN rc = SQLCancel(s->handle);
                if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
                    s->cancelled = false;
                    s->lastMs = now;
                }
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::shared_ptr<StatementWatch::State>> watched_;
    std::thread thread_;
    bool stopping_ = false;
};

}  // namespace

StatementWatch::StatementWatch(void* statementHandle, int timeoutSeconds) {
    if (timeoutSeconds <= 0) return;
    state_ = std::make_shared<State>();
    state_->handle = statementHandle;
    state_->timeoutMs = std::int64_t(timeoutSeconds) * 1000;
    state_->lastMs = nowMs();
    Watchdog::instance().add(state_);
}

StatementWatch::~StatementWatch() {
    if (state_) Watchdog::instance().remove(state_);
}

void StatementWatch::progress() {
    if (state_) state_->lastMs.store(nowMs(), std::memory_order_relaxed);
}

bool StatementWatch::cancelled() const { return state_ && state_->cancelled; }

}  // namespace Db
