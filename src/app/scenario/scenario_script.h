#pragma once
// A scenario: one step a line, arguments separated by blanks, double quotes around an argument
// with blanks ("\"" and "\\" inside quotes), "#" starting a comment outside quotes. Every step
// is checked when the file is read, so a misspelt step fails before anything runs.

#include <QString>
#include <QStringList>
#include <vector>

namespace app {

enum class StepKind {
    SelectCustomer,
    ClearCustomer,
    Tab,
    Click,
    Type,
    Paste,
    Key,
    Leave,
    Date,
    GridSelect,
    GridClick,
    GridDblClick,
    Answer,
    WaitStatus,
    WaitIdle,
    ExpectStatus,
    ExpectText,
    ExpectContains,
    ExpectEnabled,
    ExpectChecked,
    ExpectGridRows,
    ExpectGridCell,
    ExpectGridSelected,
    ExpectBox,
    // Officer search and status counts
    SelectOfficer,
    ExpectStatusCount,
    AdvanceClock,
    Backend,
    Screenshot,
    Close,
    Restart,
    Terminate,  // the program gets SIGTERM, as from `kill` or the session's end
};

struct Step {
    StepKind kind = StepKind::Close;
    QString word;      // the step's name as written: "select-customer"
    QStringList args;  // arguments without quotes
    int line = 0;      // 1-based line of the file
    QString text;      // the line as written, for the log

    // Argument i as a whole number / a number; the parser has checked them.
    int intArg(int i) const { return args.at(i).toInt(); }
    double numberArg(int i) const { return args.at(i).toDouble(); }
    bool boolArg(int i) const {
        return args.at(i).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    }
};

struct ScriptError {
    int line = 0;
    QString message;
};

struct Script {
    std::vector<Step> steps;
    std::vector<ScriptError> errors;
    bool ok() const { return errors.empty(); }
};

// Splits one line into its words; false and a message when a quote is not closed.
bool splitScriptLine(const QString& line, QStringList& words, QString* error = nullptr);

// Reads a whole scenario text. Errors name the line; steps of faulty lines are left out.
Script parseScript(const QString& text);

// One line per step kind with its arguments, for --help and the log.
QString scriptStepSummary();

}  // namespace app
