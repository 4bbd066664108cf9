#pragma once
// The scenario's log, DIR/scenario.log: every step, every status-line text, every message box,
// and how the scenario ended. Each line carries the seconds since the start and is written
// through at once, so a scenario that hangs or crashes still leaves its story.

#include <QElapsedTimer>
#include <QFile>
#include <QString>

namespace app {

class ScenarioLog {
  public:
    // Opens (and truncates) the file; false with a message when it cannot.
    bool open(const QString& path, QString* error = nullptr);
    void write(const QString& kind, const QString& text);
    QString path() const { return file_.fileName(); }

  private:
    QFile file_;
    QElapsedTimer clock_;
};

// A text on one log line: line breaks shown as " | ".
QString oneLine(const QString& text);

}  // namespace app
