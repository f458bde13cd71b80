#include "connections/core/StatementWatch.h"

#include <sql.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace Db {

namespace {

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// A watched handle. Arming and disarming take its own lock, as the watchdog
// does while it decides on a cancel and makes it, so a cancel never reaches
// the statement after the one that waited too long.
struct StatementWatch::State {
    void* handle = nullptr;
    std::mutex mutex;
    bool armed = false;
    bool cancelled = false;
    std::int64_t timeoutMs = 0;
    std::atomic<std::int64_t> lastMs{0};
};

namespace {

// One thread for the whole process, started by the first watch. It looks
// at the watched statements a few times a second while there are any, and
// sleeps while there are none.
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
        if (idle_) wake_.notify_one();
    }

    // Once this returns the handle is no longer looked at, and may be freed.
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
                idle_ = true;
                wake_.wait(lock);
                idle_ = false;
                continue;
            }
            wake_.wait_for(lock, std::chrono::milliseconds(100));
            const std::int64_t now = nowMs();
            for (const auto& s : watched_) {
                std::lock_guard statement(s->mutex);
                if (!s->armed || s->cancelled ||
                    now - s->lastMs.load(std::memory_order_relaxed) < s->timeoutMs)
                    continue;
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
    bool idle_ = false;
    bool stopping_ = false;
};

}  // namespace

StatementWatch::StatementWatch(void* statementHandle) : state_(std::make_shared<State>()) {
    state_->handle = statementHandle;
    Watchdog::instance().add(state_);
}

StatementWatch::StatementWatch(void* statementHandle, int timeoutSeconds) {
    if (timeoutSeconds <= 0) return;
    state_ = std::make_shared<State>();
    state_->handle = statementHandle;
    state_->armed = true;
    state_->timeoutMs = std::int64_t(timeoutSeconds) * 1000;
    state_->lastMs = nowMs();
    Watchdog::instance().add(state_);
}

StatementWatch::~StatementWatch() {
    if (state_) Watchdog::instance().remove(state_);
}

void StatementWatch::arm(int timeoutSeconds) {
    if (!state_ || timeoutSeconds <= 0) return;
    std::lock_guard lock(state_->mutex);
    state_->armed = true;
    state_->cancelled = false;
    state_->timeoutMs = std::int64_t(timeoutSeconds) * 1000;
    state_->lastMs.store(nowMs(), std::memory_order_relaxed);
}

void StatementWatch::disarm() {
    if (!state_) return;
    std::lock_guard lock(state_->mutex);
    state_->armed = false;
}

void StatementWatch::progress() {
    if (state_) state_->lastMs.store(nowMs(), std::memory_order_relaxed);
}

bool StatementWatch::cancelled() const {
    if (!state_) return false;
    std::lock_guard lock(state_->mutex);
    return state_->cancelled;
}

}  // namespace Db
