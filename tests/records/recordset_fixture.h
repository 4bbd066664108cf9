#pragma once
// Small record sets for the engine tests, and ways to read a view without moving its cursor.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/errors.h"
#include "records/recordset.h"
#include "records/value_rules.h"

namespace records::testing {

// Name (text), Num (whole), Amt (currency), Dt (date), Note (text), Any (variant).
inline RecordsetPtr PeopleRs(LockType lock = LockType::BatchOptimistic) {
    auto rs = Recordset::Create();
    rs->AppendField("Name", FieldType::Text, 30);
    rs->AppendField("Num", FieldType::Long);
    rs->AppendField("Amt", FieldType::Currency);
    rs->AppendField("Dt", FieldType::Date);
    rs->AppendField("Note", FieldType::Text, 40);
    rs->AppendField("Any", FieldType::Variant);
    rs->SetLockType(lock);
    rs->Open();
    return rs;
}

inline Value Money(double amount) {
    return Value(CCur(Value(amount)));
}

inline void AddPerson(const RecordsetPtr& rs, Value name, Value num, Value amt = Value::Null(),
                      Value dt = Value::Null(), Value note = Value::Null(),
                      Value any = Value::Null()) {
    rs->AddNew({"Name", "Num", "Amt", "Dt", "Note", "Any"},
               {std::move(name), std::move(num), std::move(amt), std::move(dt), std::move(note),
                std::move(any)});
}

// The texts of a field over the visible rows, in view order (Null reads as "<null>").
inline std::vector<std::string> Texts(const RecordsetPtr& rs, const std::string& field) {
    std::vector<std::string> out;
    const int f = rs->FieldIndex(field);
    for (Bookmark b : rs->VisibleBookmarks()) {
        const Value v = rs->ValueAt(b, f);
        out.push_back(v.isNull() ? "<null>" : TextOf(v));
    }
    return out;
}

using Names = std::vector<std::string>;

// The error number that `body` throws, 0 when it throws none.
template <class F>
long ErrorOf(F&& body) {
    try {
        body();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

template <class F>
std::string DescriptionOf(F&& body) {
    try {
        body();
    } catch (const Error& e) {
        return e.Description();
    }
    return {};
}

}  // namespace records::testing
