#include "app/scenario/scenario_script.h"

#include <QKeySequence>
#include <QRegularExpression>

#include "app/scenario/step_values.h"

namespace app {
namespace {

// Argument kinds: t text or name, i whole number >= 0, n number >= 0, b true|false,
// a answer button, d date, k key. The last kind of a variadic step repeats.
struct StepSpec {
    const char* word;
    StepKind kind;
    const char* args;
    int minArgs;
    bool variadic;
    const char* usage;
};

constexpr StepSpec kSpecs[] = {
    {"select-customer", StepKind::SelectCustomer, "t", 1, false, "select-customer ID"},
    {"clear-customer", StepKind::ClearCustomer, "", 0, false, "clear-customer"},
    {"tab", StepKind::Tab, "i", 1, false, "tab N"},
    {"click", StepKind::Click, "t", 1, false, "click NAME"},
    {"type", StepKind::Type, "tt", 2, false, "type NAME TEXT"},
    {"paste", StepKind::Paste, "tt", 2, false, "paste NAME TEXT"},
    {"key", StepKind::Key, "tk", 2, false, "key NAME KEY"},
    {"leave", StepKind::Leave, "t", 1, false, "leave NAME"},
    {"date", StepKind::Date, "td", 2, false, "date NAME MM/DD/YYYY|today|today+N|today-N|none"},
    {"grid-select", StepKind::GridSelect, "ti", 2, true, "grid-select NAME ROW..."},
    {"grid-click", StepKind::GridClick, "ti", 2, false, "grid-click NAME ROW"},
    {"grid-dblclick", StepKind::GridDblClick, "ti", 2, false, "grid-dblclick NAME ROW"},
    {"answer", StepKind::Answer, "a", 1, false, "answer Yes|No|Cancel|OK"},
    {"wait-status", StepKind::WaitStatus, "tn", 1, false, "wait-status PREFIX [SECONDS]"},
    {"wait-idle", StepKind::WaitIdle, "n", 0, false, "wait-idle [SECONDS]"},
    {"expect-status", StepKind::ExpectStatus, "t", 1, false, "expect-status PREFIX"},
    {"expect-text", StepKind::ExpectText, "tt", 2, false, "expect-text NAME TEXT"},
    {"expect-contains", StepKind::ExpectContains, "tt", 2, false, "expect-contains NAME FRAGMENT"},
    {"expect-enabled", StepKind::ExpectEnabled, "tb", 2, false, "expect-enabled NAME true|false"},
    {"expect-checked", StepKind::ExpectChecked, "tb", 2, false, "expect-checked NAME true|false"},
    {"expect-grid-rows", StepKind::ExpectGridRows, "ti", 2, false, "expect-grid-rows NAME N"},
    {"expect-grid-cell", StepKind::ExpectGridCell, "titt", 4, false,
     "expect-grid-cell NAME ROW COLUMN-NAME TEXT"},
    {"expect-grid-selected", StepKind::ExpectGridSelected, "ti", 1, true,
     "expect-grid-selected NAME [ROW...]"},
    {"expect-box", StepKind::ExpectBox, "t", 1, false, "expect-box FRAGMENT"},
    // Officer search and status counts
    {"select-officer", StepKind::SelectOfficer, "t", 1, false, "select-officer ID"},
    {"expect-status-count", StepKind::ExpectStatusCount, "ti", 2, false,
     "expect-status-count PREFIX N"},
    {"advance-clock", StepKind::AdvanceClock, "n", 1, false, "advance-clock SECONDS"},
    {"backend", StepKind::Backend, "t", 1, true, "backend COMMAND ARGUMENT..."},
    {"screenshot", StepKind::Screenshot, "t", 1, false, "screenshot NAME"},
    {"close", StepKind::Close, "", 0, false, "close"},
    {"restart", StepKind::Restart, "", 0, false, "restart"},
    {"terminate", StepKind::Terminate, "", 0, false, "terminate"},
};

const StepSpec* findSpec(const QString& word) {
    for (const StepSpec& spec : kSpecs) {
        if (word == QLatin1String(spec.word)) return &spec;
    }
    return nullptr;
}

// Empty when the argument fits its kind, else what is wrong.
QString checkArgument(char kind, const QString& value) {
    bool ok = false;
    switch (kind) {
        case 'i':
            if (value.toInt(&ok) < 0 || !ok)
                return QStringLiteral("'%1' is no row or count").arg(value);
            return {};
        case 'n': {
            const double n = value.toDouble(&ok);
            if (!ok || n < 0) return QStringLiteral("'%1' is no number of seconds").arg(value);
            return {};
        }
        case 'b':
            if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) != 0 &&
                value.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0) {
                return QStringLiteral("'%1' is neither true nor false").arg(value);
            }
            return {};
        case 'a':
            if (!answerButton(value))
                return QStringLiteral("'%1' is no button (Yes, No, Cancel, OK)").arg(value);
            return {};
        case 'd':
            if (!parseDateSpec(value, QDate(2000, 1, 1))) {
                return QStringLiteral("'%1' is no date (MM/DD/YYYY, today, today+N, today-N, none)")
                    .arg(value);
            }
            return {};
        case 'k':
            if (!parseKeySpec(value)) return QStringLiteral("'%1' is no key").arg(value);
            return {};
        default:
            return {};
    }
}

}  // namespace

bool splitScriptLine(const QString& line, QStringList& words, QString* error) {
    words.clear();
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < line.size() &&
                (line.at(i + 1) == QLatin1Char('"') || line.at(i + 1) == QLatin1Char('\\'))) {
                word += line.at(++i);
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                word += c;
            }
            continue;
        }
        if (c.isSpace()) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('#') && !inWord) {
            break;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        if (error) *error = QStringLiteral("a double quote is not closed");
        return false;
    }
    if (inWord) words << word;
    return true;
}

Script parseScript(const QString& text) {
    Script script;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    for (int n = 0; n < lines.size(); ++n) {
        const int lineNo = n + 1;
        QStringList words;
        QString error;
        if (!splitScriptLine(lines.at(n), words, &error)) {
            script.errors.push_back({lineNo, error});
            continue;
        }
        if (words.isEmpty()) continue;
        const QString word = words.takeFirst();
        const StepSpec* spec = findSpec(word);
        if (!spec) {
            script.errors.push_back({lineNo, QStringLiteral("unknown step '%1'").arg(word)});
            continue;
        }
        const int kinds = static_cast<int>(qstrlen(spec->args));
        const int count = static_cast<int>(words.size());
        if (count < spec->minArgs || (!spec->variadic && count > kinds)) {
            script.errors.push_back(
                {lineNo, QStringLiteral("%1: wrong number of arguments; use: %2")
                             .arg(word, QLatin1String(spec->usage))});
            continue;
        }
        QString problem;
        for (int i = 0; i < count && problem.isEmpty(); ++i) {
            problem = checkArgument(spec->args[std::min(i, kinds - 1)], words.at(i));
        }
        if (!problem.isEmpty()) {
            script.errors.push_back({lineNo, QStringLiteral("%1: %2").arg(word, problem)});
            continue;
        }
        script.steps.push_back({spec->kind, word, words, lineNo, lines.at(n).trimmed()});
    }
    return script;
}

QString scriptStepSummary() {
    QStringList usages;
    for (const StepSpec& spec : kSpecs) usages << QLatin1String(spec.usage);
    return usages.join(QLatin1Char('\n'));
}

}  // namespace app
