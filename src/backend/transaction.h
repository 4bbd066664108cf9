#pragma once
// One request, one transaction: rolled back unless committed.

#include "backend/database.h"

namespace backend {

class Transaction {
  public:
    enum class Kind { Read, Write };
    // A write transaction takes SQLite's write lock at once, so two writers queue instead of
    // one failing when it tries to upgrade its lock.
    Transaction(Sql& sql, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

  private:
    Sql& sql_;
    bool open_ = false;
};

}  // namespace backend
