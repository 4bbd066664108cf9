#pragma once
// Fault injection per theme word, for tests and demonstrations: a delayed answer, a dropped
// answer, or a back end that fails. Written "WORD=drop", "WORD=fail", "WORD=delay:MS"; the word
// "*" stands for every theme. Several faults of one word combine (a delayed failure).

#include <map>
#include <string>

#include <QStringList>

namespace platform {

struct Fault {
    bool drop = false;  // the back end handles the request, its answer never arrives
    bool fail = false;  // the back end is not asked; the answer is a failure notification
    int delayMs = 0;    // the answer arrives this much later
    bool isNone() const { return !drop && !fail && delayMs <= 0; }
};

class FaultTable {
  public:
    // Adds one "WORD=..." text; false (table unchanged) when it cannot be read.
    bool add(const QString& spec, QString* error = nullptr);
    // Adds every text of the list; the texts that could not be read are appended to errors.
    void addAll(const QStringList& specs, QStringList* errors = nullptr);
    // Adds the ";"-separated list of environment variable HALBERON_FAULTS.
    void addFromEnvironment(QStringList* errors = nullptr);

    // The fault for a theme: its last "."-separated word (or the whole theme) matched without
    // regard to letter case, combined with "*".
    Fault forTheme(const std::string& theme) const;
    bool isEmpty() const { return faults_.empty(); }

  private:
    std::map<std::string, Fault> faults_;  // upper-case word -> fault
};

inline constexpr const char* kFaultsVariable = "HALBERON_FAULTS";

}  // namespace platform
