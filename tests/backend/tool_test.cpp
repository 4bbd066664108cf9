// The halberon-backend tool, run as a separate process the way support staff use it.
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>

#include "support.h"

namespace backend::test {
namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

struct ToolRun {
    int exitCode = -1;
    QString out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
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

class ToolCommands : public ::testing::TestWithParam<Dialect> {
  protected:
    void SetUp() override {
        database = std::make_unique<ScratchDatabase>(GetParam());
        if (!database->available()) GTEST_SKIP() << ScratchDatabase::SkipReason().toStdString();
        const ToolRun init = Tool({S("init"), S("--database"), db(), S("--demo")});
        ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
        ASSERT_TRUE(init.out.contains(S("Added 305 customers"))) << init.out.toStdString();
    }
    QString db() const { return database->location(); }
    ToolRun Request(const QString& user, const QString& theme, QStringList more) {
        return Tool(QStringList{S("request"), S("--database"), db(), S("--user"), user,
                                S("--theme"), theme} +
                    more);
    }
    std::unique_ptr<ScratchDatabase> database;
};

TEST_P(ToolCommands, RequestPrintsTheAnswerPartsAsOneJsonObject) {
    const ToolRun run = Request(S("officer"), S("CASES"), {S("--criterion"), S("CUST_ID=1002")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject answer = run.json();
    EXPECT_EQ(answer.keys(), (QStringList{S("BANKRUPTCY"), S("HALBERON")}));
    const QJsonObject c = answer[S("BANKRUPTCY")].toArray()[0].toObject();
    EXPECT_EQ(c[S("CRT_FILE_DT")].toString(), S("2020-01-27"));
    EXPECT_TRUE(c[S("CRT_CLSE_DT")].isNull());
    EXPECT_TRUE(c[S("TOT_BAL_DUE_AMT")].isDouble());
    EXPECT_DOUBLE_EQ(c[S("TOT_BAL_DUE_AMT")].toDouble(), 2140.25);
    EXPECT_EQ(c[S("ASGN_OFCR_ID")].toInteger(), 101);
    const QJsonObject header = answer[S("HALBERON")].toArray()[0].toObject();
    EXPECT_FALSE(header[S("MessageKey")].toString().isEmpty());

    // A refusal is an answer too: exit 0, with its notification rows.
    const ToolRun refused = Request(S("officer"), S("CASES"), {S("--criterion"), S("CUST_ID=12x")});
    ASSERT_EQ(refused.exitCode, 0) << refused.err.toStdString();
    const QJsonArray rows = refused.json()[S("NOTIFICATION")].toArray();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][S("COMPLETION_CD")].toString(), S("BADCUSTOMER"));
    EXPECT_FALSE(refused.json().contains(S("BANKRUPTCY")));
    const ToolRun wrongCode =
        Request(S("officer"), S("CASES"),
                {S("--criterion"), S("CUST_ID=1002"), S("--service-code"), S("17")});
    EXPECT_EQ(wrongCode.json()[S("NOTIFICATION")].toArray()[0][S("COMPLETION_CD")].toString(),
              S("BADSERVICE"));
}

TEST_P(ToolCommands, CaseIsAddedAndPaidThroughJsonPartsAndNumbersAreDrawnAndHandedBack) {
    const ToolRun ars = Request(S("officer"), S("OPENARS"), {S("--criterion"), S("CUST_ID=1001")});
    const QJsonArray open = ars.json()[S("ACNTSRCVBL")].toArray();
    ASSERT_EQ(open.size(), 5) << ars.out.toStdString();
    QJsonObject ar;
    for (const char* f : {"ACCT_RCVBL_NBR", "ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_TYP_CD"}) {
        ar[S(f)] = open[0][S(f)];
    }
    ar[S("ACTION")] = S("UPD");
    const QDate filed = QDate::currentDate().addDays(-3);
    const QJsonObject kase{{S("ACTION"), S("ADD")},
                           {S("CUST_ID"), S("1001")},
                           {S("CASE_ID"), S("2025BK0042")},
                           {S("TRSTE_NM"), S("Tess O'Trustee")},
                           {S("BNKRPTCY_CMMT_TXT"), S("Filed through the tool")},
                           {S("NTFCTN_DT"), filed.toString(Qt::ISODate)},
                           {S("CRT_FILE_DT"), filed.toString(Qt::ISODate)},
                           {S("CLM_FILE_DT"), filed.addDays(2).toString(Qt::ISODate)},
                           {S("ASGN_OFCR_ID"), 102}};
    auto json = [](const QJsonArray& a) {
        return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
    };
    const ToolRun added =
        Request(S("officer"), S("ADDUPDATE"),
                {S("--criterion"), S("thin=Yes"), S("--part"), S("BANKRUPTCY=") + json({kase}),
                 S("--part"), S("ACCOUNT=") + json({ar})});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    ASSERT_FALSE(added.json().contains(S("NOTIFICATION"))) << added.out.toStdString();
    EXPECT_EQ(added.json()[S("BANKRUPTCY")].toArray()[0][S("TRSTE_NM")].toString(),
              S("Tess O'Trustee"));

    const ToolRun drawn =
        Tool({S("number"), S("--database"), db(), S("--user"), S("officer"), S("--kind"), S("R")});
    ASSERT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
    const QString receipt = drawn.out.trimmed();
    EXPECT_GT(receipt.toLongLong(), 0);
    const QJsonObject pay{
        {S("ACTION"), S("PAY")},         {S("CUST_ID"), S("1001")},
        {S("CASE_ID"), S("2025BK0042")}, {S("BNKRPTCY_CMMT_TXT"), S("First payment")},
        {S("FRCPT_NBR"), receipt},       {S("FUND_RFRNC_NBR"), S("CK-77")},
        {S("FUND_AMT"), S("$12.50")}};
    const ToolRun paid =
        Request(S("officer"), S("PROCESS"), {S("--part"), S("BANKRUPTCY=") + json({pay})});
    ASSERT_FALSE(paid.json().contains(S("NOTIFICATION"))) << paid.out.toStdString();
    const QJsonObject after = paid.json()[S("BANKRUPTCY")].toArray()[0].toObject();
    EXPECT_DOUBLE_EQ(after[S("TOT_PYMT_AMT")].toDouble(), 12.5);
    EXPECT_EQ(after[S("LST_RCPT_NBR")].toString(), receipt);

    // The history, as the CASEHIST inquiry answers it: newest first, one change a line.
    const ToolRun history = Tool({S("history"), S("--database"), db(), S("--customer"), S("1001"),
                                  S("--case"), S("2025BK0042")});
    ASSERT_EQ(history.exitCode, 0) << history.err.toStdString();
    const QStringList lines = history.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QJsonArray rows =
        Request(S("officer"), S("CASEHIST"),
                {S("--criterion"), S("CUST_ID=1001"), S("--criterion"), S("CASE_ID=2025BK0042")})
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
    const ToolRun stranger = Tool({S("history"), S("--database"), db(), S("--customer"),
                                   S("999999"), S("--case"), S("2025BK0042")});
    EXPECT_EQ(stranger.exitCode, 1);
    EXPECT_TRUE(stranger.err.contains(S("not on file"))) << stranger.err.toStdString();

    const QString spare =
        Tool({S("number"), S("--database"), db(), S("--user"), S("manager"), S("--kind"), S("R")})
            .out.trimmed();
    const ToolRun back = Tool(
        {S("return-number"), S("--database"), db(), S("--kind"), S("R"), S("--number"), spare});
    EXPECT_EQ(back.exitCode, 0) << back.err.toStdString();
    EXPECT_EQ(
        Tool({S("number"), S("--database"), db(), S("--user"), S("officer"), S("--kind"), S("R")})
            .out.trimmed(),
        spare);
    const ToolRun never = Tool({S("return-number"), S("--database"), db(), S("--kind"), S("R"),
                                S("--number"), S("77777777")});
    EXPECT_EQ(never.exitCode, 1);
    EXPECT_TRUE(never.err.contains(S("never handed out"))) << never.err.toStdString();
}

TEST_P(ToolCommands, ValuesThatDoNotConvertReachTheBackEndsChecks) {
    const QString receipt =
        Tool({S("number"), S("--database"), db(), S("--user"), S("officer"), S("--kind"), S("R")})
            .out.trimmed();
    auto codes = [&](const QString& theme, const QString& part) {
        const ToolRun run = Request(S("officer"), theme, {S("--part"), S("BANKRUPTCY=") + part});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QStringList list;
        for (const QJsonValue& row : run.json()[S("NOTIFICATION")].toArray()) {
            list << row[S("COMPLETION_CD")].toString() + QLatin1Char(' ') +
                        row[S("LOCATION")].toString();
        }
        return list;
    };
    EXPECT_EQ(
        codes(S("PROCESS"), S(R"([{"ACTION":"PAY","CUST_ID":"1002","CASE_ID":"2020BK0001",)"
                              R"("BNKRPTCY_CMMT_TXT":"p","FUND_RFRNC_NBR":"CK","FRCPT_NBR":")") +
                                receipt +
                                S(R"(","FUND_AMT":"NaN","TOT_PYMT_AMT":1e300,"PYMT_CNT":1e30}])")),
        (QStringList{S("BADVALUE PROCESS: BANKRUPTCY.FUND_AMT"),
                     S("BADVALUE PROCESS: BANKRUPTCY.TOT_PYMT_AMT"),
                     S("BADVALUE PROCESS: BANKRUPTCY.PYMT_CNT")}));
    EXPECT_EQ(codes(S("ADDUPDATE"), S(R"([{"ACTION":"UPD","CUST_ID":"1002","CASE_ID":"2020BK0001",)"
                                      R"("BNKRPTCY_CMMT_TXT":"c","NTFCTN_DT":"2020-02-10",)"
                                      R"("CRT_FILE_DT":"2020-01-27","CLM_FILE_DT":"2020-03-16",)"
                                      R"("CRT_CLSE_DT":"2021-02-30"}])")),
              QStringList{S("BADDATE ADDUPDATE: BANKRUPTCY.CRT_CLSE_DT")});

    // Only init creates a database; a mistyped path is an error.
    if (GetParam() == Dialect::SQLite) {
        const QString missing = QFileInfo(db()).dir().filePath(S("mistyped.sqlite"));
        const ToolRun run = Tool({S("request"), S("--database"), missing, S("--user"), S("officer"),
                                  S("--theme"), S("CASES")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(S("There is no database file"))) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(missing));
    }
}

TEST_P(ToolCommands, UsageErrorsExitWithTwo) {
    for (const QStringList& args :
         {QStringList{}, QStringList{S("explode")},
          QStringList{S("request"), S("--database"), db(), S("--theme"), S("CASES")},
          QStringList{S("request"), S("--database"), db(), S("--user"), S("officer"), S("--theme"),
                      S("ADDUPDATE"), S("--part"), S("BANKRUPTCY=[{oops")},
          QStringList{S("request"), S("--database"), db(), S("--user"), S("officer"), S("--theme"),
                      S("ADDUPDATE"), S("--part"), S("BANKRUPTCY=[{\"NOFIELD\":1}]")},
          QStringList{S("number"), S("--database"), db(), S("--user"), S("officer")},
          QStringList{S("history"), S("--database"), db(), S("--customer"), S("1002")}}) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
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
