#pragma once
// An ordered set of named values with write and read defaults, and its own image.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/value.h"

namespace records {

class PropertyBag {
  public:
    // Stores value under name, unless it equals defaultValue (then any stored value is removed).
    void WriteProperty(std::string_view name, const Value& value, const Value& defaultValue = {});
    // The stored value, or defaultValue when the name is not stored. Names ignore letter case.
    Value ReadProperty(std::string_view name, const Value& defaultValue = {}) const;
    bool Contains(std::string_view name) const;
    std::size_t Count() const { return items_.size(); }

    // The bag's image; SetContents replaces the content and throws error 3709 on a bad image.
    Bytes Contents() const;
    void SetContents(const Bytes& image);

  private:
    std::vector<std::pair<std::string, Value>> items_;
};

}  // namespace records
