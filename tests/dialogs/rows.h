#pragma once
// Record-set rows in tests: one row from its fields, and a row's fields compared as texts.

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "records/recordset.h"
#include "records/value_rules.h"

namespace testing_rows {

using Fields = std::initializer_list<std::pair<const char*, records::Value>>;

// Adds a row with the fields' values (the others stay as the layout gives them).
inline void addRow(records::Recordset& rs, Fields fields) {
    rs.AddNew();
    for (const auto& [name, value] : fields) rs.Set(name, value);
    rs.Update();
}

// Each field of the current row reads as its text; `texts` is "FIELD=text|FIELD=text..." (an
// empty text also matches Null).
inline void expectTexts(const records::Recordset& rs, const std::string& texts) {
    std::size_t at = 0;
    while (at < texts.size()) {
        const std::size_t end = std::min(texts.find('|', at), texts.size());
        const std::string item = texts.substr(at, end - at);
        const std::size_t eq = item.find('=');
        const std::string name = item.substr(0, eq);
        EXPECT_EQ(records::TextOf(rs.Get(name)), item.substr(eq + 1)) << name;
        at = end + 1;
    }
}

// Each named field of the current row is Null.
inline void expectNull(const records::Recordset& rs, std::initializer_list<const char*> names) {
    for (const char* name : names) EXPECT_TRUE(rs.Get(name).isNull()) << name;
}

}  // namespace testing_rows
