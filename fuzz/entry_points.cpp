// Fuzz entry points, compiled into the fuzz targets and into the corpus replay test, so both run
// exactly the same code; the engine library itself carries none of it.
#include "entry_points.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "records/errors.h"
#include "records/image.h"
#include "records/property_bag.h"
#include "records/recordset.h"
#include "records/stream.h"
#include "records/value_codec.h"

namespace records::fuzz {

namespace {
// A broken invariant must stop the run where a fuzzer or a test sees it.
void Require(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

void FuzzPropertyBag(const std::uint8_t* data, std::size_t size) {
    const Bytes image(data, data + size);
    PropertyBag bag;
    bag.WriteProperty("Before", Value("kept on failure"));
    const Bytes before = bag.Contents();
    try {
        bag.SetContents(image);
    } catch (const Error& e) {
        Require(e.Number() == err::BadImage && !e.Description().empty());
        Require(bag.Contents() == before);
        return;
    }
    Require(bag.Contents() == image);
    Bytes again = bag.Contents();
    PropertyBag copy;
    copy.SetContents(again);
    Require(copy.Count() == bag.Count());
}

}  // namespace records::fuzz

// --- record sets

namespace records::fuzz {

Bytes SaveImage(const Recordset& rs) {
    Stream s;
    s.Open();
    rs.Save(s);
    return s.Buffer();
}

RecordsetPtr LoadImage(const Bytes& image) {
    Stream s;
    s.Open();
    s.Write(image);
    s.SetPosition(0);
    auto rs = Recordset::Create();
    rs->Open(s);
    Require(s.AtEnd());
    return rs;
}

namespace {

// A record set with a field of every type and rows with Nulls, texts of every length, statuses.
RecordsetPtr Sample() {
    auto rs = Recordset::Create();
    rs->AppendField("T", FieldType::Text);
    rs->AppendField("L", FieldType::Long);
    rs->AppendField("D", FieldType::Double);
    rs->AppendField("C", FieldType::Currency);
    rs->AppendField("Dt", FieldType::Date);
    rs->AppendField("B", FieldType::Boolean);
    rs->AppendField("Y", FieldType::Bytes);
    rs->AppendField("V", FieldType::Variant);
    rs->AppendField("Field With Blanks", FieldType::Text);
    rs->Open();
    const char* texts[] = {"", "a", "Ab", "abc", "O'Brien", "a longer text here", "ZZ"};
    for (int i = 0; i < 40; ++i) {
        rs->AddNew();
        if (i % 5) rs->Set(0, Value(texts[i % 7]));
        if (i % 6) rs->Set(1, Value(i * 7 % 13 - 6));
        if (i % 4) rs->Set(2, Value(i / 3.0));
        if (i % 3) rs->Set(3, Value(Currency{i * std::int64_t{2500}}));
        if (i % 7) rs->Set(4, Value(Date{40000.0 + i}));
        rs->Set(5, Value(i % 2 == 0));
        if (i % 9 == 0) rs->Set(6, Value(Bytes{1, 2, static_cast<std::uint8_t>(i)}));
        if (i % 2) rs->Set(7, i % 4 == 1 ? Value(i) : Value(texts[i % 7]));
        rs->Set(8, Value(texts[(i + 3) % 7]));
        rs->Update();
    }
    rs->UpdateBatch();
    return rs;
}

void Exercise(Recordset& rs) {
    const long count = rs.RecordCount();
    Require(count >= 0);
    if (count > 0) {
        rs.MoveLast();
        Require(rs.AbsolutePosition() == count);
        rs.MoveFirst();
        for (int f = 0; f < rs.FieldCount(); ++f) rs.Get(f);
        rs.Status();
        if (rs.FieldCount() > 0) rs.OriginalValue(rs.Field(0).name);
    }
    if (rs.FieldCount() > 0) {
        rs.SetSort(rs.Field(0).type == FieldType::Bytes ? "" : "[" + rs.Field(0).name + "] DESC");
        Require(rs.RecordCount() == count);
    }
    auto clone = rs.Clone();
    clone->CancelBatch(Affect::AllChapters);
    clone->UpdateBatch(Affect::AllChapters);
    Require(rs.RecordCount() == clone->RecordCount());
}

}  // namespace

void LoadOneImage(const std::uint8_t* data, std::size_t size);

void FuzzRecordsetImage(const std::uint8_t* data, std::size_t size) {
    LoadOneImage(data, size);
    // the checksum turns away nearly every mutation; a resealed copy takes them to the parser
    if (size >= kImageHeaderSize + 4 && std::memcmp(data, "HBRS", 4) == 0) {
        Bytes sealed(data, data + size - 4);
        const std::uint64_t payload = sealed.size() - kImageHeaderSize;
        for (int k = 0; k < 8; ++k) sealed[8 + k] = static_cast<std::uint8_t>(payload >> (8 * k));
        const std::uint32_t crc = Crc32c(sealed.data(), sealed.size());
        for (int k = 0; k < 4; ++k) sealed.push_back(static_cast<std::uint8_t>(crc >> (8 * k)));
        LoadOneImage(sealed.data(), sealed.size());
    }
}

void LoadOneImage(const std::uint8_t* data, std::size_t size) {
    Stream s;
    s.Open();
    s.Write(data, size);
    s.SetPosition(0);
    auto rs = Recordset::Create();
    try {
        rs->Open(s);
    } catch (const Error& e) {
        Require(e.Number() == err::BadImage && !e.Description().empty());
        Require(!rs->IsOpen() && s.Position() == 0);
        return;
    }
    // one image read, whatever follows it stays for the next reader
    Require(s.Position() > 0 && s.Position() <= static_cast<std::int64_t>(size));
    const Bytes again = SaveImage(*rs);
    auto copy = LoadImage(again);
    Require(SaveImage(*copy) == again);
    Require(copy->VisibleBookmarks() == rs->VisibleBookmarks());
    Exercise(*copy);
}

void FuzzFilter(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    static const RecordsetPtr base = Sample();
    auto rs = base->Clone();
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const long all = rs->RecordCount();
    rs->SetFilter("[L] > 0");
    const std::vector<Bookmark> before = rs->VisibleBookmarks();
    try {
        switch (data[0] % 3) {
            case 0:
                rs->SetFilter(text);
                Require(rs->RecordCount() <= all);
                // a one-clause filter keeps exactly the rows that a find walks to
                try {
                    auto walker = base->Clone();
                    std::vector<Bookmark> found;
                    while (walker->Find(text, found.empty() ? 0 : 1)) {
                        found.push_back(walker->GetBookmark());
                    }
                    Require(found == rs->VisibleBookmarks());
                } catch (const Error& e) {
                    Require(e.Number() == err::BadFilter);  // more than one clause
                }
                break;
            case 1:
                rs->MoveFirst();
                while (rs->Find(text, 0)) {
                    rs->MoveNext();
                    if (rs->IsEOF()) break;
                }
                break;
            default: {
                rs->SetSort(text);
                std::vector<Bookmark> sorted = rs->VisibleBookmarks();
                std::vector<Bookmark> expected = before;
                std::sort(sorted.begin(), sorted.end());
                std::sort(expected.begin(), expected.end());
                Require(sorted == expected);
                break;
            }
        }
    } catch (const Error& e) {
        Require(e.Number() == err::BadFilter && !e.Description().empty());
        if (data[0] % 3 != 1) Require(rs->VisibleBookmarks() == before);
    }
    rs->ClearFilter();
    Require(rs->RecordCount() == all);
}

}  // namespace records::fuzz
