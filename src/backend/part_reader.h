#pragma once
// Reading the rows of a request's parts: every value is checked against its field (type and
// size) and a value that does not fit becomes a problem, never a database error.

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/problems.h"
#include "records/layouts.h"
#include "records/recordset.h"

namespace backend {

class PartRow {
  public:
    // `layout` gives the field sizes, whatever the sender's record set declares.
    PartRow(const records::Recordset& rows, records::Bookmark bookmark,
            const records::Layout& layout, std::string location, Problems& problems);

    // The value as sent; Null when the sender's record set has no such field.
    records::Value raw(std::string_view field) const;
    // The text of the value, or nothing when it is Null, Empty or blank. `trim` takes the
    // surrounding blanks off (identifiers); other texts are kept as typed. Too long: a problem.
    std::optional<QString> text(std::string_view field, bool trim = false);
    // Dates, whole numbers and money read from their own kind or from text; anything else is a
    // problem and gives nothing.
    std::optional<QDate> date(std::string_view field);
    std::optional<std::int64_t> whole(std::string_view field);
    std::optional<std::int64_t> money(std::string_view field);  // ten-thousandths

    // True when reading the field gave a problem (so "missing" need not be said as well).
    bool reported(std::string_view field) const;

    const std::string& location() const { return location_; }
    std::string where(std::string_view field) const;

  private:
    const records::Recordset& rows_;
    records::Bookmark bookmark_;
    const records::Layout& layout_;
    std::string location_;
    Problems& problems_;
    void report(std::string_view field, const char* code, std::string message);
    std::vector<std::string> reported_;  // each field reported once, however often read
};

// Every text field of the row checked for its length (also fields the request ignores).
void CheckTextSizes(PartRow& row, const records::Layout& layout);

// The rows of a part in their order.
std::vector<records::Bookmark> RowsOf(const records::Recordset& rows);

}  // namespace backend
