// Services asked of the back end, the user context, the error log and the fault texts.
#include <QDir>
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
    EXPECT_EQ(services().GetCodeDescription("BNKRPTCY", ""), "");
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

    // numbers come from the back end and go back
    std::string a1, a2;
    EXPECT_EQ(services().GetNextNumber("F", a1, a2), "5001");
    EXPECT_EQ(services().GetNextNumber("R", a1, a2), "5002");
    services().ReturnReceiptNumber("5002", "R");
    services().ReturnReceiptNumber("", "R");  // nothing held: nothing handed back
    const auto calls = backEnd_->calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"NextNumber:F:5001", "NextNumber:R:5002",
                                        "ReturnNumber:R:5002"}));
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
}

TEST_F(ServicesTest, ErrorsAndNotificationsAreAppendedToTheLogFile) {
    build();
    auto& reporter = *parts_.library.errorReporter;
    reporter.ReportError("Type mismatch", "KORVA_Bankruptcy", "KORVA_Bankruptcy.SaveData");
    reporter.LogNotification("\r\n\r\nE42: Case exists\r\nLocation: cases", "E42");
    QFile log(QString::fromStdString(parts_.library.userContext->GetUserFolder()) +
              QLatin1String(platform::kLogFileName));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(
        QLatin1String("ERROR KORVA_Bankruptcy KORVA_Bankruptcy.SaveData: Type mismatch")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QLatin1String("NOTIFICATION [E42]")));
    EXPECT_TRUE(lines[1].contains(QLatin1String("E42: Case exists | Location: cases")));
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
    reporter.ReportError("boom", "exe", "source");
    qInstallMessageHandler(previous);
    EXPECT_TRUE(reporter.logPath().isEmpty());
    EXPECT_EQ(gWarnings, QStringList{QStringLiteral("ERROR exe source: boom")});
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
