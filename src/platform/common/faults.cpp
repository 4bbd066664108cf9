#include "platform/common/faults.h"

#include <algorithm>

#include <QByteArray>

#include "records/text_util.h"

namespace platform {
namespace {

void combine(Fault& into, const Fault& f) {
    into.drop = into.drop || f.drop;
    into.fail = into.fail || f.fail;
    into.delayMs = std::max(into.delayMs, f.delayMs);
}

std::string themeWord(const std::string& theme) {
    const auto dot = theme.rfind('.');
    return dot == std::string::npos ? theme : theme.substr(dot + 1);
}

}  // namespace

bool FaultTable::add(const QString& spec, QString* error) {
    const QString text = spec.trimmed();
    const auto eq = text.indexOf(QLatin1Char('='));
    const QString word = eq < 0 ? QString() : text.left(eq).trimmed();
    const QString what = eq < 0 ? QString() : text.mid(eq + 1).trimmed().toLower();
    Fault f;
    bool ok = !word.isEmpty() && !word.contains(QLatin1Char(' '));
    if (ok) {
        if (what == QLatin1String("drop")) {
            f.drop = true;
        } else if (what == QLatin1String("fail")) {
            f.fail = true;
        } else if (what.startsWith(QLatin1String("delay:"))) {
            f.delayMs = what.mid(6).toInt(&ok);
            ok = ok && f.delayMs >= 0;
        } else {
            ok = false;
        }
    }
    if (!ok) {
        if (error) {
            *error = QStringLiteral(
                         "Fault \"%1\" not understood: write WORD=drop, WORD=fail or "
                         "WORD=delay:MS")
                         .arg(spec);
        }
        return false;
    }
    combine(faults_[records::ToUpperAscii(word.toStdString())], f);
    return true;
}

void FaultTable::addAll(const QStringList& specs, QStringList* errors) {
    for (const QString& spec : specs) {
        if (spec.trimmed().isEmpty()) continue;
        QString error;
        if (!add(spec, &error) && errors) errors->append(error);
    }
}

void FaultTable::addFromEnvironment(QStringList* errors) {
    const QByteArray value = qgetenv(kFaultsVariable);
    if (value.isEmpty()) return;
    addAll(QString::fromLocal8Bit(value).split(QLatin1Char(';')), errors);
}

Fault FaultTable::forTheme(const std::string& theme) const {
    Fault result;
    if (const auto all = faults_.find("*"); all != faults_.end()) combine(result, all->second);
    for (const std::string& key :
         {records::ToUpperAscii(themeWord(theme)), records::ToUpperAscii(theme)}) {
        if (const auto it = faults_.find(key); it != faults_.end()) {
            combine(result, it->second);
            break;
        }
    }
    return result;
}

}  // namespace platform
