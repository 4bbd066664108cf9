#pragma once
// Small record sets for the engine tests, and ways to read a view without moving its cursor.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "entry_points.h"
#include "records/errors.h"
#include "records/recordset.h"
#include "records/stream.h"
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

// The whole numbers or currency units of a field added up over the visible rows, read one by one.
inline std::int64_t Total(const RecordsetPtr& rs, const std::string& field) {
    std::int64_t total = 0;
    const int f = rs->FieldIndex(field);
    for (Bookmark b : rs->VisibleBookmarks()) {
        const Value v = rs->ValueAt(b, f);
        if (!v.isNull())
            total += v.type() == Value::Type::Currency ? v.currency().units : v.whole();
    }
    return total;
}

// Enough rows for several slot segments and several text chunks per column, Nulls in each.
inline RecordsetPtr ManyPeople(int n = 9000) {
    auto rs = PeopleRs();
    for (int i = 0; i < n; ++i) {
        AddPerson(rs, i % 11 ? Value("name number " + std::to_string(i)) : Value::Null(),
                  i % 7 ? Value(i * 37 % 1000 - 500) : Value::Null(), Money(i / 4.0),
                  Value(Date{40000.0 + i}), i % 3 ? Value(std::string(i % 5, 'x')) : Value::Null(),
                  i % 2 ? Value(i) : Value::Null());
    }
    rs->UpdateBatch();
    return rs;
}

// Every cell of the record set in view order, as text, with its bookmark and status.
inline std::vector<std::string> Cells(const RecordsetPtr& rs) {
    std::vector<std::string> out;
    auto c = rs->Clone();
    c->SetSort(std::string(rs->Sort()));
    for (c->MoveFirst(); !c->IsEOF(); c->MoveNext()) {
        std::string row = std::to_string(c->GetBookmark()) + "/" + std::to_string(c->Status());
        for (int f = 0; f < c->FieldCount(); ++f) {
            const Value v = c->Get(f);
            row += v.isNull() ? "|null" : "|" + TextOf(v);
        }
        out.push_back(std::move(row));
    }
    return out;
}

// The image the record set saves, and a record set opened from an image.
inline Bytes ImageOf(const RecordsetPtr& rs) {
    return fuzz::SaveImage(*rs);
}

inline RecordsetPtr OpenAt(Stream& s, std::int64_t at) {
    s.SetPosition(at);
    auto rs = Recordset::Create();
    rs->Open(s);
    return rs;
}

inline RecordsetPtr Load(const Bytes& image) {
    Stream s;
    s.Open();
    s.Write(image);
    return OpenAt(s, 0);
}

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

// Passes when `body` throws an error whose description holds `text`.
template <class F>
::testing::AssertionResult Says(F&& body, std::string_view text) {
    const std::string d = DescriptionOf(std::forward<F>(body));
    if (d.find(text) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the error says \"" << d << "\", not \"" << text << "\"";
}

}  // namespace records::testing
