#pragma once
// A back end that answers from a script and writes down every call in the order it saw them.

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "messaging/backend_api.h"
#include "records/layouts.h"

namespace testing_support {

inline std::string themeWord(const std::string& theme) {
    const auto dot = theme.rfind('.');
    return dot == std::string::npos ? theme : theme.substr(dot + 1);
}

inline std::string fullTheme(const std::string& word) {
    return messaging::kAppTitle + word;
}

class ScriptedBackEnd : public messaging::BackEnd {
  public:
    // The answer to a request: by default its header and one "ACNTSRCVBL" row whose CASE_ID
    // holds the theme word.
    std::function<messaging::Answer(const messaging::Request&)> onHandle;
    std::atomic<int> handleSleepMs{0};      // keeps the worker busy inside Handle
    std::atomic<bool> servicesFail{false};  // the synchronous services throw

    messaging::Answer Handle(const messaging::Request& request) override {
        {
            // One lock for the record and the log: whoever sees the call also sees its request.
            std::lock_guard lock(mutex_);
            handleThread_ = QThread::currentThread();
            lastRequest_ = request;
            calls_.push_back("Handle:" + themeWord(request.theme));
        }
        if (handleSleepMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(handleSleepMs));
        if (onHandle) return onHandle(request);
        messaging::Answer answer;
        answer.theme = request.theme;
        answer.messageKey = request.messageKey;
        auto rows = records::OpenLayoutRecordset(records::kLayoutAccntRecv);
        rows->AddNew();
        rows->Set("CASE_ID", records::Value(themeWord(request.theme)));
        rows->Update();
        rows->UpdateBatch();
        answer.parts.push_back({std::string(records::kLayoutAccntRecv), rows});
        return answer;
    }
    std::string NextNumber(const std::string&, const std::string& kind) override {
        const std::string n = std::to_string(++lastNumber_);
        log("NextNumber:" + kind + ":" + n);
        return n;
    }
    void ReturnNumber(const std::string&, const std::string& kind,
                      const std::string& number) override {
        log("ReturnNumber:" + kind + ":" + number);
    }
    bool HasRight(const std::string& sender, const std::string& right) override {
        log("HasRight:" + right);
        return sender == "manager" && right == "BnkrptcyMgr";
    }
    std::optional<std::int64_t> OfficerOf(const std::string& sender) override {
        log("OfficerOf:" + sender);
        if (sender == "manager") return 101;
        return std::nullopt;
    }
    std::vector<std::pair<std::string, std::string>> CodeTable(const std::string& table) override {
        log("CodeTable:" + table);
        if (table == "BNKRPTCY") return {{"O", "Open"}, {"D", "Dismissed"}, {"W", "Written Off"}};
        return {};
    }
    std::vector<messaging::OfficerInfo> Officers() override {
        log("Officers");
        std::lock_guard lock(mutex_);
        return officers_;
    }
    std::vector<messaging::CustomerInfo> FindCustomers(const std::string& text, int) override {
        log("FindCustomers:" + text);
        return {};
    }

    void setOfficers(std::vector<messaging::OfficerInfo> officers) {
        std::lock_guard lock(mutex_);
        officers_ = std::move(officers);
    }
    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    int count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls()) n += c.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }
    QThread* handleThread() const {
        std::lock_guard lock(mutex_);
        return handleThread_;
    }
    messaging::Request lastRequest() const {
        std::lock_guard lock(mutex_);
        return lastRequest_;
    }

  private:
    void log(std::string call) {
        {
            std::lock_guard lock(mutex_);
            calls_.push_back(std::move(call));
        }
        if (servicesFail) throw std::runtime_error("the database is gone");
    }

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::vector<messaging::OfficerInfo> officers_{{101, "Ann"}, {102, "Ben"}};
    QThread* handleThread_ = nullptr;
    messaging::Request lastRequest_;
    std::atomic<int> lastNumber_{5000};
};

// Pumps events until the condition holds or the time is up; the condition's last answer.
inline bool waitUntil(const std::function<bool()>& condition, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms) return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Pumps events for a while.
inline void pumpFor(int ms) {
    waitUntil([] { return false; }, ms);
}

}  // namespace testing_support
