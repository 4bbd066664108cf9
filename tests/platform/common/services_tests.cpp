// Services asked of the back end, the user context, the error log and the fault texts.
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/common/common_library_factory.h"
#include "platform/common/error_log.h"
#include "platform/common/faults.h"
#include "platform/common/global_services.h"
#include "platform/common/user_context.h"
#include "scripted_backend.h"

namespace {

using testing_support::ScriptedBackEnd;

class ServicesTest : public ::testing::Test {
  protected:
    void build(const std::string& user = "manager") {
        ASSERT_TRUE(dir_.isValid());
        platform::CommonLibraryOptions options;
        options.faultsFromEnvironment = false;
        options.userFolder = dir_.path() + QStringLiteral("/nested/user");
        parts_ = platform::buildCommonLibraryParts(backEnd_, user, options);
    }
    messaging::GlobalServices& services() { return *parts_.library.globalServices; }

    QTemporaryDir dir_;
    std::shared_ptr<ScriptedBackEnd> backEnd_ = std::make_shared<ScriptedBackEnd>();
    platform::CommonLibraryParts parts_;
};

TEST_F(ServicesTest, RightsAndCodeTablesAreAskedOnceAndThenCached) {
    build();
    EXPECT_TRUE(services().HasRight("BnkrptcyMgr"));
    EXPECT_TRUE(services().HasRight("BnkrptcyMgr"));
    EXPECT_FALSE(services().HasRight("Other"));
    EXPECT_EQ(backEnd_->count("HasRight:BnkrptcyMgr"), 1);

    EXPECT_EQ(services().GetCodeDescription("BNKRPTCY", "W"), "Written Off");
    EXPECT_EQ(services().GetCodeDescription("BNKRPTCY", "d"), "Dismissed");
    EXPECT_EQ(services().GetCodeDescription("BNKRPTCY", "X"), "X");  // unknown code shows itself
    EXPECT_EQ(backEnd_->count("CodeTable:BNKRPTCY"), 1);
    EXPECT_EQ(services().GetMessageTitle(), "HALBERON");
}

TEST_F(ServicesTest, OfficerValidityAndNumbersFollowTheBackEnd) {
    build();
    EXPECT_TRUE(services().IsValidOfficer(101));
    EXPECT_TRUE(services().IsValidOfficer(102));
    EXPECT_EQ(backEnd_->count("Officers"), 1);
    EXPECT_FALSE(services().IsValidOfficer(0));
    EXPECT_FALSE(services().IsValidOfficer(-101));
    EXPECT_FALSE(services().IsValidOfficer(110));
    backEnd_->setOfficers({{101, "Ann"}, {110, "New"}});  // an officer added meanwhile
    EXPECT_TRUE(services().IsValidOfficer(110));
    services().ReturnReceiptNumber("", "R");  // nothing held: nothing handed back
    EXPECT_EQ(backEnd_->count("ReturnNumber:"), 0);
}

TEST_F(ServicesTest, WhatTheBackEndFailedToAnswerIsAskedAgain) {
    build("manager");
    EXPECT_TRUE(services().IsValidOfficer(101));
    backEnd_->servicesFail = true;
    EXPECT_FALSE(services().HasRight("BnkrptcyMgr"));
    EXPECT_EQ(services().GetCodeDescription("BNKRPTCY", "W"), "W");
    EXPECT_FALSE(services().IsValidOfficer(110));
    EXPECT_TRUE(services().IsValidOfficer(101));  // the list fetched before still holds
    EXPECT_EQ(parts_.library.userContext->GetOfficerNumber(), "");
    backEnd_->servicesFail = false;
    EXPECT_TRUE(services().HasRight("BnkrptcyMgr"));
    EXPECT_EQ(services().GetCodeDescription("BNKRPTCY", "W"), "Written Off");
    EXPECT_EQ(parts_.library.userContext->GetOfficerNumber(), "101");
    EXPECT_EQ(parts_.library.userContext->GetOfficerNumber(), "101");
    EXPECT_EQ(backEnd_->count("OfficerOf:"), 2);  // the failed ask and the one kept
    build("officer");
    EXPECT_EQ(parts_.library.userContext->GetOfficerNumber(), "");  // a user without an officer
}

QStringList gWarnings;

TEST(ErrorLog, AnUnwritableFolderStillLeavesTheReportAsAWarning) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto folder =
        std::make_shared<platform::UserFolder>(blocker.fileName() + QStringLiteral("/sub"));
    platform::LogFileErrorReporter reporter(folder);
    gWarnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) gWarnings << text;
        });
    reporter.ReportError("boom\r\nagain", "exe", "source");
    qInstallMessageHandler(previous);
    EXPECT_TRUE(reporter.logPath().isEmpty());
    EXPECT_EQ(gWarnings, QStringList{QStringLiteral("ERROR exe source: boom | again")});
}

TEST(Faults, TextsFromOptionsAndEnvironmentCombinePerThemeWord) {
    platform::FaultTable table;
    QStringList errors;
    table.addAll(
        {"CASES=drop", "cases=delay:200", "OPENARS = fail", "bogus", "X=delay:-5", "Y=slow"},
        &errors);
    qputenv(platform::kFaultsVariable, "PROCESS=delay:50;;ADDUPDATE=fail");
    table.addFromEnvironment(&errors);
    qunsetenv(platform::kFaultsVariable);
    EXPECT_EQ(errors.size(), 3);

    const auto cases = table.forTheme(std::string(messaging::kAppTitle) + "CASES");
    EXPECT_TRUE(cases.drop);
    EXPECT_EQ(cases.delayMs, 200);
    EXPECT_FALSE(cases.fail);
    EXPECT_TRUE(table.forTheme(std::string(messaging::kAppTitle) + "OPENARS").fail);
    EXPECT_EQ(table.forTheme(std::string(messaging::kAppTitle) + "PROCESS").delayMs, 50);
    EXPECT_TRUE(table.forTheme("ADDUPDATE").fail);
    EXPECT_TRUE(table.forTheme(std::string(messaging::kAppTitle) + "CASEARS").isNone());

    platform::FaultTable all;
    ASSERT_TRUE(all.add("*=delay:10"));
    EXPECT_EQ(all.forTheme("anything.CASES").delayMs, 10);
}

}  // namespace
