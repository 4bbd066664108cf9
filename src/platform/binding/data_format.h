#pragma once
// A value formatter between a field and a control property: an optional named format applied by
// the formatter itself, and Format / UnFormat handlers that the owner supplies (the old data
// format object's events). Reading a field into a control runs the named format first and then
// the Format handler; writing a control into a field runs the UnFormat handler first and then
// undoes the named format.
//
// Named formats: "" (none), "mm/dd/yyyy" / "MM/DD/YYYY" / "yyyy-mm-dd" (fixed date forms),
// "Short Date" (the locale's short date, four-digit year) and "Currency" (the locale's currency
// form with two decimals). A date or currency format shows Null and Empty as the empty text and
// reads the empty text back as Null.

#include <functional>
#include <string>

#include <QLocale>

#include "records/value.h"

namespace platform {

class DataFormat {
  public:
    using Handler = std::function<void(records::Value&)>;

    DataFormat() = default;
    // Error 3001 for a format name that is none of the above.
    explicit DataFormat(std::string format, const QLocale& locale = QLocale());

    const std::string& format() const noexcept { return format_; }
    const QLocale& locale() const noexcept { return locale_; }

    void setFormatHandler(Handler h) { onFormat_ = std::move(h); }
    void setUnFormatHandler(Handler h) { onUnFormat_ = std::move(h); }

    // Field value to control value. Errors of the handler or the named format propagate.
    void Format(records::Value& v) const;
    // Control value to field value.
    void UnFormat(records::Value& v) const;

  private:
    enum class Kind { None, FixedDate, ShortDate, Currency };
    std::string format_;
    Kind kind_ = Kind::None;
    QLocale locale_;
    Handler onFormat_;
    Handler onUnFormat_;
};

}  // namespace platform
