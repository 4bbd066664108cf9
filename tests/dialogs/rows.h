#pragma once
// Record-set rows in tests: a row's fields compared as texts.

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "records/recordset.h"
#include "records/value_rules.h"

namespace testing_rows {

// "NAME=text|NAME=text..." as its pairs.
inline std::vector<std::pair<std::string, std::string>> namedTexts(const std::string& list) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find('|', at), list.size());
        const std::string item = list.substr(at, end - at);
        const std::size_t eq = item.find('=');
        out.emplace_back(item.substr(0, eq), item.substr(eq + 1));
        at = end + 1;
    }
    return out;
}

// Each field of the current row reads as its text; `texts` is "FIELD=text|FIELD=text..." (an
// empty text also matches Null).
inline void expectTexts(const records::Recordset& rs, const std::string& texts) {
    for (const auto& [name, text] : namedTexts(texts))
        EXPECT_EQ(records::TextOf(rs.Get(name)), text) << name;
}

// Each named field of the current row is Null.
inline void expectNull(const records::Recordset& rs, std::initializer_list<const char*> names) {
    for (const char* name : names) EXPECT_TRUE(rs.Get(name).isNull()) << name;
}

}  // namespace testing_rows
