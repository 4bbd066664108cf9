#pragma once
// The road to the back end: one worker thread per transport taking work from one FIFO queue, so
// requests and synchronous service calls reach the back end in the order they were issued.
// Answers come back to the transport's own (user-interface) thread, wait in an inbox, and are
// handed out one at a time: stored in the answer store, then DataReady(theme) on every listener.
// A request that is not answered within the service limit is given up with MsgTimeout(theme);
// its answer, should it still come, is dropped.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QObject>
#include <QTimer>

#include "messaging/common_library.h"
#include "platform/common/answer_store.h"
#include "platform/common/faults.h"

namespace platform {

inline constexpr double kDefaultServiceLimitSeconds = 90.0;
inline constexpr int kDefaultWatchIntervalMs = 1000;

class Transport : public QObject, public std::enable_shared_from_this<Transport> {
    Q_OBJECT
  public:
    using Job = std::function<void(messaging::BackEnd&)>;

    Transport(std::shared_ptr<messaging::BackEnd> backEnd, std::shared_ptr<messaging::Clock> clock,
              std::shared_ptr<MemoryAnswerStore> store, QObject* parent = nullptr);
    ~Transport() override;

    void setFaults(FaultTable faults) { faults_ = std::move(faults); }
    const FaultTable& faults() const { return faults_; }
    void setServiceLimit(double seconds);
    double serviceLimit() const { return limitSeconds_; }
    void setErrorReporter(std::shared_ptr<messaging::ErrorReporter> reporter);
    // How often the worker asks the back end what others changed (ChangedElsewhere).
    void setWatchInterval(int ms) { watchIntervalMs_ = ms > 0 ? ms : kDefaultWatchIntervalMs; }

    // Listeners are held weakly: a listener that its owner dropped hears nothing more.
    void addListener(const std::shared_ptr<messaging::MessageListener>& listener);

    // Queues the request and returns at once.
    void send(messaging::Request request);

    // Runs work on the worker thread in queue order and waits for it, at most the service limit.
    // nullopt when the back end failed or did not answer in time (reported); `late` then runs on
    // the worker with a result that came after the caller stopped waiting.
    template <class T>
    std::optional<T> call(std::function<T(messaging::BackEnd&)> work, const std::string& what,
                          std::function<void(messaging::BackEnd&, const T&)> late = {});

    // Requests sent and neither answered nor given up.
    std::size_t waitingCount() const { return waiting_.size(); }
    // Gives up now on every request past its limit (the periodic check does the same).
    void checkDeadlines();

  private:
    struct Waiting {
        std::string theme;
        double deadline = 0;
        std::uint64_t sequence = 0;  // send order, for deadlines in the same clock tick
    };
    struct Event {
        bool timeout = false;
        std::string theme;  // for a change made elsewhere: the customer
        messaging::Answer answer;
        bool changed = false;
    };

    void enqueue(Job job);
    void runWorker();
    void watchChanges();
    // Runs work on the user-interface thread, after what the worker posted before it.
    void post(std::function<void()> work);
    Q_INVOKABLE void runPosted();
    void arrive(messaging::Answer answer, const std::string& requestKey, Fault fault);
    void accept(messaging::Answer answer, const std::string& requestKey);
    void giveUp(const std::string& key);
    void deliver();
    void raise(const Event& event);
    void armSweep();
    void reportError(const std::string& description, const std::string& source);
    void note(const std::string& text);

    std::shared_ptr<messaging::BackEnd> backEnd_;
    std::shared_ptr<messaging::Clock> clock_;
    std::shared_ptr<MemoryAnswerStore> store_;
    std::shared_ptr<messaging::ErrorReporter> reporter_;
    FaultTable faults_;
    double limitSeconds_ = kDefaultServiceLimitSeconds;

    // Worker side, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    bool stopping_ = false;
    std::thread worker_;  // joined, not detached: its end is ordered before our destruction
    std::atomic<int> watchIntervalMs_{kDefaultWatchIntervalMs};
    bool watchFailing_ = false;                 // worker side: a failing watch is logged once
    std::deque<std::function<void()>> posted_;  // for the user-interface thread, under mutex_

    // User-interface side.
    std::map<std::string, Waiting> waiting_;  // by request key
    std::uint64_t sent_ = 0;
    std::deque<std::string> givenUp_;  // recent keys given up, to name late answers
    std::deque<Event> inbox_;
    bool delivering_ = false;
    std::vector<std::weak_ptr<messaging::MessageListener>> listeners_;
    QTimer sweep_;
};

namespace detail {
template <class T>
struct CallState {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<T> value;
    std::string error;
    bool finished = false;
    bool abandoned = false;
};
}  // namespace detail

template <class T>
std::optional<T> Transport::call(std::function<T(messaging::BackEnd&)> work,
                                 const std::string& what,
                                 std::function<void(messaging::BackEnd&, const T&)> late) {
    auto state = std::make_shared<detail::CallState<T>>();
    enqueue([state, work = std::move(work), late = std::move(late)](messaging::BackEnd& be) {
        std::optional<T> value;
        std::string error;
        try {
            value = work(be);
        } catch (const std::exception& e) {
            error = e.what();
        } catch (...) {
            error = "Unknown error";
        }
        std::unique_lock lock(state->mutex);
        if (state->abandoned) {
            lock.unlock();
            if (value && late) late(be, *value);
            return;
        }
        state->value = std::move(value);
        state->error = std::move(error);
        state->finished = true;
        state->done.notify_all();
    });
    std::unique_lock lock(state->mutex);
    const auto limit = std::chrono::duration<double>(limitSeconds_);
    if (!state->done.wait_for(lock, limit, [&] { return state->finished; })) {
        state->abandoned = true;
        lock.unlock();
        reportError("The back end did not answer " + what + " in time", "Transport.call");
        return std::nullopt;
    }
    if (!state->error.empty()) {
        std::string error = state->error;
        lock.unlock();
        reportError("The back end failed on " + what + ": " + error, "Transport.call");
        return std::nullopt;
    }
    return std::move(state->value);
}

// The failure answer of a request: its header and one notification row saying why.
messaging::Answer failureAnswer(const messaging::Request& request, const std::string& reason);
// Adds the header part ("HALBERON") to an answer that lacks one.
void ensureHeader(messaging::Answer& answer, const messaging::Request& request);

}  // namespace platform
