#pragma once
// Readable record values in test failures.

#include <ostream>

#include "records/value.h"
#include "records/value_rules.h"

namespace records {

inline void PrintTo(const Value& v, std::ostream* os) {
    switch (v.type()) {
        case Value::Type::Empty:
            *os << "Empty";
            return;
        case Value::Type::Null:
            *os << "Null";
            return;
        case Value::Type::Text:
            *os << '"' << v.text() << '"';
            return;
        case Value::Type::Date:
            *os << "#" << TextOf(v) << "#";
            return;
        default:
            *os << TextOf(v) << " (type " << static_cast<int>(v.type()) << ")";
    }
}

}  // namespace records
