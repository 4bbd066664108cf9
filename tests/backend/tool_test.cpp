// The halberon-backend tool, run as a separate process the way support staff use it.
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>

#include "support.h"

namespace backend::test {
namespace {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    // COMPLETION_CD of the answer's first notification row.
    QString code() const {
        return json()[S("NOTIFICATION")].toArray()[0][S("COMPLETION_CD")].toString();
    }
};

ToolRun Tool(const QStringList& args,
             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(S(HALBERON_BACKEND_TOOL), args);
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString Json(const QJsonArray& a) {
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

class ToolCommands : public ::testing::TestWithParam<Dialect> {
  protected:
    void SetUp() override {
        database = std::make_unique<ScratchDatabase>(GetParam());
        if (!database->available()) GTEST_SKIP() << ScratchDatabase::SkipReason().toStdString();
        const ToolRun init = Run("init --demo");
        ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
        ASSERT_TRUE(init.out.contains(S("Added 305 customers"))) << init.out.toStdString();
    }
    QString db() const { return database->location(); }
    // The command's words (split at blanks) with the test's database after the first, then `more`.
    ToolRun Run(const char* command, const QStringList& more = {}) {
        QStringList args = S(command).split(QLatin1Char(' '));
        args.insert(1, db());
        args.insert(1, S("--database"));
        return Tool(args + more);
    }
    QString Draw(const char* user) {
        return Run((std::string("number --kind R --user ") + user).c_str()).out.trimmed();
    }
    std::unique_ptr<ScratchDatabase> database;
};

TEST_P(ToolCommands, RequestPrintsTheAnswerPartsAsOneJsonObject) {
    const ToolRun run = Run("request --user officer --theme CASES --criterion CUST_ID=1002");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject answer = run.json();
    EXPECT_EQ(answer.keys(), (QStringList{S("BANKRUPTCY"), S("HALBERON")}));
    const QJsonValue c = answer[S("BANKRUPTCY")].toArray()[0];
    EXPECT_EQ(Pick(c, "CRT_FILE_DT CRT_CLSE_DT TOT_BAL_DUE_AMT ASGN_OFCR_ID"),
              "2020-01-27|-|2140.25|101");
    EXPECT_TRUE(c[S("TOT_BAL_DUE_AMT")].isDouble());
    EXPECT_FALSE(answer[S("HALBERON")][0][S("MessageKey")].toString().isEmpty());

    // A refusal is an answer too: exit 0, with its notification rows.
    const ToolRun refused = Run("request --user officer --theme CASES --criterion CUST_ID=12x");
    ASSERT_EQ(refused.exitCode, 0) << refused.err.toStdString();
    EXPECT_EQ(refused.json()[S("NOTIFICATION")].toArray().size(), 1);
    EXPECT_EQ(refused.code(), S("BADCUSTOMER"));
    EXPECT_FALSE(refused.json().contains(S("BANKRUPTCY")));
    EXPECT_EQ(Run("request --user officer --theme CASES --criterion CUST_ID=1002 --service-code 17")
                  .code(),
              S("BADSERVICE"));
}

TEST_P(ToolCommands, CaseIsAddedAndPaidThroughJsonPartsAndNumbersAreDrawnAndHandedBack) {
    const ToolRun ars = Run("request --user officer --theme OPENARS --criterion CUST_ID=1001");
    const QJsonArray open = ars.json()[S("ACNTSRCVBL")].toArray();
    ASSERT_EQ(open.size(), 5) << ars.out.toStdString();
    QJsonObject ar{{S("ACTION"), S("UPD")}};
    for (const char* f : {"ACCT_RCVBL_NBR", "ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_TYP_CD"})
        ar[S(f)] = open[0][S(f)];
    const QString kase =
        S(R"([{"ACTION":"ADD","CUST_ID":"1001","CASE_ID":"2025BK0042","TRSTE_NM":"Tess O'Trustee",)"
          R"("BNKRPTCY_CMMT_TXT":"Filed through the tool","NTFCTN_DT":"%1","CRT_FILE_DT":"%1",)"
          R"("CLM_FILE_DT":"%2","ASGN_OFCR_ID":102}])")
            .arg(QDate::currentDate().addDays(-3).toString(Qt::ISODate),
                 QDate::currentDate().addDays(-1).toString(Qt::ISODate));
    const ToolRun added =
        Run("request --user officer --theme ADDUPDATE --criterion thin=Yes",
            {S("--part"), S("BANKRUPTCY=") + kase, S("--part"), S("ACCOUNT=") + Json({ar})});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    ASSERT_FALSE(added.json().contains(S("NOTIFICATION"))) << added.out.toStdString();
    EXPECT_EQ(added.json()[S("BANKRUPTCY")][0][S("TRSTE_NM")].toString(), S("Tess O'Trustee"));

    const QString receipt = Draw("officer");
    EXPECT_GT(receipt.toLongLong(), 0);
    const ToolRun paid =
        Run("request --user officer --theme PROCESS --part",
            {S(R"(BANKRUPTCY=[{"ACTION":"PAY","CUST_ID":"1001","CASE_ID":)"
               R"("2025BK0042","BNKRPTCY_CMMT_TXT":"First payment","FRCPT_NBR":")") +
             receipt + S(R"(","FUND_RFRNC_NBR":"CK-77","FUND_AMT":"$12.50"}])")});
    ASSERT_FALSE(paid.json().contains(S("NOTIFICATION"))) << paid.out.toStdString();
    EXPECT_EQ(Pick(paid.json()[S("BANKRUPTCY")][0], "TOT_PYMT_AMT LST_RCPT_NBR"),
              "12.5|" + receipt.toStdString());

    // The history, as the CASEHIST inquiry answers it: newest first, one change a line.
    const ToolRun history = Run("history --customer 1001 --case 2025BK0042");
    ASSERT_EQ(history.exitCode, 0) << history.err.toStdString();
    const QStringList lines = history.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QJsonArray rows = Run("request --user officer --theme CASEHIST --criterion CUST_ID=1001 "
                                "--criterion CASE_ID=2025BK0042")
                                .json()[S("CASEHISTORY")]
                                .toArray();
    ASSERT_EQ(lines.size(), 3) << history.out.toStdString();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(S("When"))) << lines[0].toStdString();
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(lines[i + 1].contains(S("officer (officer 102)")));
        EXPECT_TRUE(lines[i + 1].contains(rows[i][S("ACTN_TXT")].toString()));
        EXPECT_TRUE(lines[i + 1].endsWith(rows[i][S("CHNG_TXT")].toString()))
            << lines[i + 1].toStdString();
    }
    EXPECT_TRUE(lines[1].contains(S("Payment")));
    EXPECT_TRUE(lines[1].contains(S("Amount: $12.50; Receipt: ") + receipt + S("; Check: CK-77")));
    EXPECT_TRUE(lines[2].contains(S("Added")));
    const ToolRun stranger = Run("history --customer 999999 --case 2025BK0042");
    EXPECT_EQ(stranger.exitCode, 1);
    EXPECT_TRUE(stranger.err.contains(S("not on file"))) << stranger.err.toStdString();

    const QString spare = Draw("manager");
    const ToolRun back = Run("return-number --kind R --number", {spare});
    EXPECT_EQ(back.exitCode, 0) << back.err.toStdString();
    EXPECT_EQ(Draw("officer"), spare);
    const ToolRun never = Run("return-number --kind R --number 77777777");
    EXPECT_EQ(never.exitCode, 1);
    EXPECT_TRUE(never.err.contains(S("never handed out"))) << never.err.toStdString();
}

TEST_P(ToolCommands, ValuesThatDoNotConvertReachTheBackEndsChecks) {
    const QString receipt = Draw("officer");
    // COMPLETION_CD|LOCATION of every notification row.
    auto codes = [&](const char* theme, const QString& part) {
        const ToolRun run = Run((std::string("request --user officer --theme ") + theme).c_str(),
                                {S("--part"), S("BANKRUPTCY=") + part});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        std::string list;
        for (const QJsonValue& row : run.json()[S("NOTIFICATION")].toArray())
            list += Pick(row, "COMPLETION_CD LOCATION") + ";";
        return list;
    };
    EXPECT_EQ(
        codes("PROCESS", S(R"([{"ACTION":"PAY","CUST_ID":"1002","CASE_ID":"2020BK0001",)"
                           R"("BNKRPTCY_CMMT_TXT":"p","FUND_RFRNC_NBR":"CK","FRCPT_NBR":")") +
                             receipt +
                             S(R"(","FUND_AMT":"NaN","TOT_PYMT_AMT":1e300,"PYMT_CNT":1e30}])")),
        "BADVALUE|PROCESS: BANKRUPTCY.FUND_AMT;BADVALUE|PROCESS: BANKRUPTCY.TOT_PYMT_AMT;"
        "BADVALUE|PROCESS: BANKRUPTCY.PYMT_CNT;");
    EXPECT_EQ(codes("ADDUPDATE", S(R"([{"ACTION":"UPD","CUST_ID":"1002","CASE_ID":"2020BK0001",)"
                                   R"("BNKRPTCY_CMMT_TXT":"c","NTFCTN_DT":"2020-02-10",)"
                                   R"("CRT_FILE_DT":"2020-01-27","CLM_FILE_DT":"2020-03-16",)"
                                   R"("CRT_CLSE_DT":"2021-02-30"}])")),
              "BADDATE|ADDUPDATE: BANKRUPTCY.CRT_CLSE_DT;");

    // Only init creates a database; a mistyped path is an error.
    if (GetParam() == Dialect::SQLite) {
        const QString missing = QFileInfo(db()).dir().filePath(S("mistyped.sqlite"));
        const ToolRun run =
            Tool(S("request --user officer --theme CASES --database").split(QLatin1Char(' '))
                 << missing);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(S("There is no database file"))) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(missing));
    }
}

TEST_P(ToolCommands, UsageErrorsExitWithTwo) {
    const QString request = S("request --user officer --theme ADDUPDATE --part BANKRUPTCY=");
    for (const QString& args : {S(""), S("explode"), S("request --theme CASES"),
                                request + S("[{oops"), request + S("[{\"NOFIELD\":1}]"),
                                S("number --user officer"), S("history --customer 1002")}) {
        QStringList words = args.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!words.isEmpty()) words << S("--database") << db();
        const ToolRun run = Tool(words);
        EXPECT_EQ(run.exitCode, 2) << args.toStdString();
        EXPECT_TRUE(run.err.startsWith(S("halberon-backend: "))) << run.err.toStdString();
    }
}

HALBERON_BACKEND_SUITE(ToolCommands);

TEST(ToolDefaults, WithoutADatabaseTheFileInTheDataFolderIsUsed) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(S("XDG_DATA_HOME"), home.path());
    const ToolRun init = Tool({S("init")}, env);
    ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(home.filePath(S("HALBERON/halberon.sqlite"))));
    const ToolRun unreachable =
        Tool({S("init"), S("--database"), S("postgresql://nobody@127.0.0.1:1/none")});
    EXPECT_EQ(unreachable.exitCode, 1);
    EXPECT_TRUE(unreachable.err.contains(S("Could not open"))) << unreachable.err.toStdString();
}

}  // namespace
}  // namespace backend::test
