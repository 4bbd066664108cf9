#include "platform/common/transport.h"

#include <algorithm>
#include <cmath>

#include <QDateTime>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QThread>

#include "messaging/answer_parts.h"
#include "records/layouts.h"
#include "records/text_util.h"

namespace platform {
namespace {

Q_LOGGING_CATEGORY(lcTransport, "halberon.transport")

constexpr std::size_t kGivenUpRemembered = 256;

template <class E>
const char* sourceOf(const E& event) {
    return event.changed   ? "Transport.ChangedElsewhere"
           : event.timeout ? "Transport.MsgTimeout"
                           : "Transport.DataReady";
}

bool hasPart(const messaging::Answer& answer, std::string_view name) {
    return std::any_of(answer.parts.begin(), answer.parts.end(), [&](const auto& part) {
        return records::EqualsIgnoreCase(part.name, name);
    });
}

}  // namespace

void ensureHeader(messaging::Answer& answer, const messaging::Request& request) {
    if (answer.theme.empty()) answer.theme = request.theme;
    if (answer.messageKey.empty()) answer.messageKey = request.messageKey;
    if (hasPart(answer, records::kLayoutHeader)) return;
    answer.parts.insert(
        answer.parts.begin(),
        messaging::NamedPart{std::string(records::kLayoutHeader),
                             messaging::HeaderPart(request, answer.messageKey, answer.theme)});
}

messaging::Answer failureAnswer(const messaging::Request& request, const std::string& reason) {
    messaging::Answer answer;
    answer.theme = request.theme;
    answer.messageKey = request.messageKey;
    ensureHeader(answer, request);
    answer.parts.push_back({std::string(records::kLayoutNotification),
                            messaging::NotificationPart(
                                {{"BACKEND_FAILED", "The back end failed and returned no data.",
                                  "HALBERON back end", reason}})});
    return answer;
}

Transport::Transport(std::shared_ptr<messaging::BackEnd> backEnd,
                     std::shared_ptr<messaging::Clock> clock,
                     std::shared_ptr<MemoryAnswerStore> store, QObject* parent)
    : QObject(parent),
      backEnd_(std::move(backEnd)),
      clock_(std::move(clock)),
      store_(std::move(store)) {
    sweep_.setSingleShot(false);
    connect(&sweep_, &QTimer::timeout, this, &Transport::checkDeadlines);
    setServiceLimit(kDefaultServiceLimitSeconds);
    worker_ = std::thread([this] {
        QThread::currentThread()->setObjectName(QStringLiteral("halberon-transport"));
        // A thread Qt did not start has no event dispatcher until an event loop asks for one;
        // the database driver's change notices arrive through it.
        const QEventLoop dispatcherForThisThread;
        runWorker();
    });
}

Transport::~Transport() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

void Transport::setServiceLimit(double seconds) {
    limitSeconds_ = seconds > 0 ? seconds : kDefaultServiceLimitSeconds;
    // Checked often enough that a time-out is never much later than its limit.
    const double ms = std::clamp(limitSeconds_ * 1000.0 / 5.0, 5.0, 1000.0);
    sweep_.setInterval(static_cast<int>(ms));
}

void Transport::setErrorReporter(std::shared_ptr<messaging::ErrorReporter> reporter) {
    reporter_ = std::move(reporter);
}

void Transport::addListener(const std::shared_ptr<messaging::MessageListener>& listener) {
    std::erase_if(listeners_, [](const auto& weak) { return weak.expired(); });
    listeners_.push_back(listener);
}

void Transport::enqueue(Job job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void Transport::runWorker() {
    using Clock = std::chrono::steady_clock;
    auto nextWatch = Clock::now();  // the first look starts the back end's watch
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_until(lock, nextWatch, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            if (Clock::now() >= nextWatch) {
                nextWatch = Clock::now() + std::chrono::milliseconds(watchIntervalMs_.load());
            } else {
                job = std::move(queue_.front());
                queue_.pop_front();
            }
        }
        if (!job) {
            watchChanges();
            continue;
        }
        try {
            job(*backEnd_);
        } catch (...) {  // every job traps its own failures; this keeps the worker alive regardless
            qCCritical(lcTransport) << "A transport job failed outside its own trap";
        }
    }
}

// Between requests, in queue order with them: what the user-interface thread hears of changes
// made elsewhere comes after the answers read before them and before those read after them.
void Transport::watchChanges() {
    std::vector<std::string> changed;
    try {
        changed = backEnd_->ChangedElsewhere();
        watchFailing_ = false;
    } catch (const std::exception& e) {
        if (!watchFailing_) {
            qCWarning(lcTransport) << "Changes made elsewhere can not be watched:" << e.what();
        }
        watchFailing_ = true;
        return;
    }
    if (changed.empty()) return;
    post([this, changed = std::move(changed)] {
        for (const std::string& custId : changed) inbox_.push_back(Event{false, custId, {}, true});
        deliver();
    });
}

// The work travels under our own lock and only a call by name goes through Qt's event queue:
// Qt's locks are invisible to the thread checker (Qt is not built with it), and a functor that
// Qt carried would be written on the worker and read here with no order it can see.
void Transport::post(std::function<void()> work) {
    {
        const std::lock_guard lock(mutex_);
        posted_.push_back(std::move(work));
    }
    QMetaObject::invokeMethod(this, "runPosted", Qt::QueuedConnection);
}

void Transport::runPosted() {
    std::deque<std::function<void()>> work;
    {
        const std::lock_guard lock(mutex_);
        work.swap(posted_);
    }
    for (auto& w : work) w();
}

void Transport::send(messaging::Request request) {
    const Fault fault = faults_.forTheme(request.theme);
    waiting_[request.messageKey] = Waiting{request.theme, clock_->Now() + limitSeconds_, ++sent_};
    armSweep();
    enqueue([this, request = std::move(request), fault](messaging::BackEnd& be) {
        messaging::Answer answer;
        try {
            if (fault.fail) {
                answer = failureAnswer(request, "Injected fault: the back end is failing.");
            } else {
                try {
                    answer = be.Handle(request);
                } catch (const std::exception& e) {
                    answer = failureAnswer(request, e.what());
                }
                ensureHeader(answer, request);
            }
        } catch (const std::exception& e) {
            qCCritical(lcTransport)
                << "No answer could be built for" << request.messageKey.c_str() << e.what();
            return;  // the request times out
        }
        post([this, answer = std::move(answer), key = request.messageKey, fault]() mutable {
            arrive(std::move(answer), key, fault);
        });
    });
}

void Transport::arrive(messaging::Answer answer, const std::string& requestKey, Fault fault) {
    if (fault.drop) {
        note("Injected fault: answer " + requestKey + " of " + answer.theme + " dropped");
        return;
    }
    if (fault.delayMs > 0) {
        QTimer::singleShot(fault.delayMs, this,
                           [this, answer = std::move(answer), requestKey]() mutable {
                               accept(std::move(answer), requestKey);
                           });
        return;
    }
    accept(std::move(answer), requestKey);
}

void Transport::accept(messaging::Answer answer, const std::string& requestKey) {
    auto it = waiting_.find(requestKey);
    if (it == waiting_.end()) {
        const bool late = std::find(givenUp_.begin(), givenUp_.end(), requestKey) != givenUp_.end();
        note(std::string(late ? "Late answer " : "Unexpected answer ") + requestKey + " of " +
             answer.theme + " dropped");
        return;
    }
    if (clock_->Now() >= it->second.deadline) {
        giveUp(requestKey);
        note("Late answer " + requestKey + " of " + answer.theme + " dropped");
        deliver();
        return;
    }
    waiting_.erase(it);
    const std::string theme = answer.theme;
    inbox_.push_back(Event{false, theme, std::move(answer)});
    deliver();
}

void Transport::giveUp(const std::string& key) {
    auto it = waiting_.find(key);
    if (it == waiting_.end()) return;
    note("No answer to " + key + " of " + it->second.theme + " within " +
         std::to_string(static_cast<long long>(std::lround(limitSeconds_ * 1000))) + " ms");
    inbox_.push_back(Event{true, it->second.theme, {}});
    waiting_.erase(it);
    givenUp_.push_back(key);
    if (givenUp_.size() > kGivenUpRemembered) givenUp_.pop_front();
}

void Transport::checkDeadlines() {
    const double now = clock_->Now();
    std::vector<std::string> due;
    for (const auto& [key, w] : waiting_) {
        if (w.deadline <= now) due.push_back(key);
    }
    // Oldest deadline first, so time-outs are raised in the order the requests were sent.
    std::sort(due.begin(), due.end(), [this](const std::string& a, const std::string& b) {
        const Waiting& x = waiting_.at(a);
        const Waiting& y = waiting_.at(b);
        return x.deadline != y.deadline ? x.deadline < y.deadline : x.sequence < y.sequence;
    });
    for (const auto& key : due) giveUp(key);
    if (waiting_.empty()) sweep_.stop();
    deliver();
}

void Transport::armSweep() {
    if (!sweep_.isActive()) sweep_.start();
}

// One event at a time: a handler that opens a message box (a nested event loop) does not get the
// next answer until it returns, so "the latest answer of the theme" stays the one it handles.
void Transport::deliver() {
    if (delivering_) return;
    const auto keepAlive = weak_from_this().lock();  // a handler may drop the last owner
    delivering_ = true;
    while (!inbox_.empty()) {
        Event event = std::move(inbox_.front());
        inbox_.pop_front();
        if (!event.timeout) store_->put(event.answer);
        raise(event);
    }
    delivering_ = false;
}

void Transport::raise(const Event& event) {
    std::erase_if(listeners_, [](const auto& weak) { return weak.expired(); });
    const auto listeners = listeners_;  // a handler may add listeners
    for (const auto& weak : listeners) {
        const auto listener = weak.lock();
        if (!listener) continue;
        const auto& handler = event.changed   ? listener->ChangedElsewhere
                              : event.timeout ? listener->MsgTimeout
                                              : listener->DataReady;
        if (!handler) continue;
        try {
            handler(event.theme);
        } catch (const std::exception& e) {
            reportError(e.what(), sourceOf(event));
        } catch (...) {
            reportError("Unknown error", sourceOf(event));
        }
    }
}

void Transport::reportError(const std::string& description, const std::string& source) {
    if (reporter_) {
        reporter_->ReportError(description, "KORVA_COMMON", source);
    } else {
        qCWarning(lcTransport).noquote()
            << QString::fromStdString(source) << ":" << QString::fromStdString(description);
    }
}

void Transport::note(const std::string& text) {
    if (reporter_) {
        reporter_->LogNotification(text, "TRANSPORT");
    } else {
        qCInfo(lcTransport).noquote() << QString::fromStdString(text);
    }
}

}  // namespace platform
