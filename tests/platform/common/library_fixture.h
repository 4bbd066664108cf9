#pragma once
// What the screen's and the dialogs' tests share: a real common library over a test back end,
// with the status line, the error reports and the message boxes recorded.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "messaging/backend_api.h"
#include "messaging/common_library.h"
#include "platform/common/common_library_factory.h"
#include "platform/common/recording_status_line.h"
#include "platform/widgets/scripted_interaction.h"
#include "records/mod_bankruptcy.h"

namespace testing_support {

// Keeps every error report and notification, in order.
class RecordingReporter : public messaging::ErrorReporter {
  public:
    void ReportError(const std::string& description, const std::string&,
                     const std::string& source) override {
        errors.push_back(source + ": " + description);
        if (onError) onError();
    }
    void LogNotification(const std::string& text, const std::string& code) override {
        notifications.push_back(code + ": " + text);
    }
    bool mentions(const std::string& fragment) const {
        for (const auto& e : errors)
            if (e.find(fragment) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> errors;
    std::vector<std::string> notifications;
    std::function<void()> onError;  // runs as each error is reported
};

// The header of a change request of this program: service 17 from the user, version 1.0, and the
// one criterion HALBERON "key:thin" = "Yes".
inline void ExpectChangeRequestHeader(const messaging::Request& r,
                                      const std::string& sender = "manager") {
    EXPECT_EQ(r.serviceCode, 17);
    EXPECT_EQ(r.senderId, sender);
    EXPECT_EQ(r.version, "1.0");
    ASSERT_EQ(r.criteria.size(), 1u);
    EXPECT_EQ(r.criteria[0].appName, "HALBERON");
    EXPECT_EQ(r.criteria[0].keyName, "key:thin");
    EXPECT_EQ(r.criteria[0].op, "=");
    EXPECT_EQ(r.criteria[0].value, "Yes");
}

class LibraryTest : public ::testing::Test {
  protected:
    // A fresh library over `backEnd` working for `user`, its files in a folder of the test's own;
    // the record-set templates that earlier tests cached are dropped.
    void buildLibrary(std::shared_ptr<messaging::BackEnd> backEnd,
                      const std::string& user = "manager") {
        records::ResetTemplateCacheForTests();
        platform::CommonLibraryOptions options;
        options.userFolder = folder.path();
        options.faultsFromEnvironment = false;
        statusLine = std::make_shared<platform::RecordingStatusLine>();
        options.statusLine = statusLine;
        parts = platform::buildCommonLibraryParts(std::move(backEnd), user, options);
        reporter = std::make_shared<RecordingReporter>();
        parts.library.errorReporter = reporter;
        interaction = std::make_shared<platform::ScriptedInteraction>();
    }

    QTemporaryDir folder;
    std::shared_ptr<platform::RecordingStatusLine> statusLine;
    std::shared_ptr<RecordingReporter> reporter;
    std::shared_ptr<platform::ScriptedInteraction> interaction;
    platform::CommonLibraryParts parts;
};

}  // namespace testing_support
