#include "app/scenario/scenario_log.h"

#include <QRegularExpression>

namespace app {

bool ScenarioLog::open(const QString& path, QString* error) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file_.errorString());
        return false;
    }
    clock_.start();
    return true;
}

void ScenarioLog::write(const QString& kind, const QString& text) {
    if (!file_.isOpen()) return;
    const double seconds = static_cast<double>(clock_.elapsed()) / 1000.0;
    const QString line =
        QStringLiteral("%1 %2 %3\n").arg(seconds, 8, 'f', 3).arg(kind, -8).arg(text);
    file_.write(line.toUtf8());
    file_.flush();
}

QString oneLine(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    return QString(text).replace(breaks, QStringLiteral(" | "));
}

}  // namespace app
