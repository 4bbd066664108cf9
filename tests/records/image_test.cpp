#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "records/image.h"
#include "records/property_bag.h"
#include "records/stream.h"
#include "records/value_codec.h"
#include "recordset_fixture.h"

namespace records::testing {
namespace {

// A record set with every kind of value, staged changes of every kind and a gap in the bookmarks.
RecordsetPtr Varied() {
    auto rs = PeopleRs();
    AddPerson(rs, "short", 1, Money(1.25), Value(DateSerial(2024, 1, 2)), "", Value(true));
    AddPerson(rs, std::string(300, 'L'), -7, Money(-3), Value::Null(), "né à Zürich",
              Value(Bytes{0, 1, 255}));
    AddPerson(rs, "gone", 3);
    AddPerson(rs, "kept", Value::Null(), Value::Null(), Value(Date{0.75}), Value::Null(),
              Value(2.5));
    rs->UpdateBatch();
    rs->SetBookmark(3);
    rs->Delete();
    rs->UpdateBatch();  // bookmark 3 is gone for good
    rs->SetBookmark(1);
    rs->Set("Name", "changed");  // modified, with originals
    rs->Update();
    rs->SetBookmark(2);
    rs->Delete();               // deleted, pending
    AddPerson(rs, "added", 5);  // new
    return rs;
}

// Re-seals an edited image: payload length and checksum made right again.
Bytes Reseal(Bytes image) {
    image.resize(image.size() - 4);
    const std::uint64_t payload = image.size() - kImageHeaderSize;
    for (int k = 0; k < 8; ++k) image[8 + k] = static_cast<std::uint8_t>(payload >> (8 * k));
    const std::uint32_t crc = Crc32c(image.data(), image.size());
    for (int k = 0; k < 4; ++k) image.push_back(static_cast<std::uint8_t>(crc >> (8 * k)));
    return image;
}

// The image with `bytes` written from `at` on, resealed.
Bytes Patched(Bytes image, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    for (auto v : bytes) image[at++] = v;
    return Reseal(std::move(image));
}

TEST(ImageTest, RoundTripKeepsValuesStatusesOriginalsAndBookmarks) {
    auto rs = Varied();
    auto back = Load(ImageOf(rs));
    ASSERT_EQ(back->FieldCount(), rs->FieldCount());
    for (int f = 0; f < rs->FieldCount(); ++f) {
        EXPECT_EQ(back->Field(f).name, rs->Field(f).name);
        EXPECT_EQ(back->Field(f).type, rs->Field(f).type);
        EXPECT_EQ(back->Field(f).size, rs->Field(f).size);
    }
    EXPECT_EQ(back->VisibleBookmarks(), (std::vector<Bookmark>{1, 4, 5}));
    for (Bookmark b : back->VisibleBookmarks()) {
        for (int f = 0; f < rs->FieldCount(); ++f) {
            EXPECT_EQ(back->ValueAt(b, f), rs->ValueAt(b, f)) << b << "/" << f;
        }
    }
    back->SetBookmark(1);
    EXPECT_EQ(back->Status(), status::Modified);
    EXPECT_EQ(back->OriginalValue("Name"), Value("short"));
    back->SetBookmark(5);
    EXPECT_EQ(back->Status(), status::New);

    back->CancelBatch();  // originals restored, the pending delete undone, the new row dropped
    EXPECT_EQ(Texts(back, "Name"), (Names{"short", std::string(300, 'L'), "kept"}));
    back->SetBookmark(2);
    EXPECT_EQ(back->Get("Note"), Value("né à Zürich"));
    EXPECT_EQ(back->Get("Any"), Value(Bytes{0, 1, 255}));
    AddPerson(back, "next", 1);
    EXPECT_EQ(back->GetBookmark(), 6);
}

TEST(ImageTest, EveryTruncationIsAnErrorThatLeavesTheStreamWhereItWas) {
    const Bytes image = ImageOf(Varied());
    for (std::size_t n = 0; n < image.size(); ++n) {
        Stream s;
        s.Open();
        s.Write(Bytes{7, 7});
        s.Write(image.data(), n);
        s.SetPosition(2);
        auto rs = Recordset::Create();
        const long e = ErrorOf([&] { rs->Open(s); });
        ASSERT_EQ(e, err::BadImage) << "prefix of " << n << " bytes";
        EXPECT_EQ(s.Position(), 2);
        EXPECT_FALSE(rs->IsOpen());
    }
}

TEST(ImageTest, EveryFlippedByteIsDetected) {
    const Bytes image = ImageOf(Varied());
    for (std::size_t i = 0; i < image.size(); ++i) {
        for (std::uint8_t mask : {std::uint8_t{0x01}, std::uint8_t{0x80}}) {
            Bytes bad = image;
            bad[i] ^= mask;
            ASSERT_EQ(ErrorOf([&] { Load(bad); }), err::BadImage) << "byte " << i;
        }
    }
    // the property bags' checksum is the standard CRC-32 (the images' is checked below)
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0xCBF43926u);
}

// The checksum is CRC-32C at every length, long buffers (run in stretches side by side) and
// starts that are not aligned included: compared with the bit-by-bit definition.
TEST(ImageTest, ChecksumIsCrc32c) {
    auto reference = [](const std::uint8_t* p, std::size_t n) {
        std::uint32_t c = 0xFFFFFFFFu;
        for (std::size_t i = 0; i < n; ++i) {
            c ^= p[i];
            for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0x82F63B78u : c >> 1;
        }
        return ~c;
    };
    std::mt19937 rng(11);
    Bytes data(4 * 3 * 8192 + 100);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    for (std::size_t n : {0, 1, 7, 8, 9, 3 * 8192 - 1, 3 * 8192, 3 * 8192 + 13, 2 * 3 * 8192 + 8,
                          4 * 3 * 8192 + 99}) {
        for (std::size_t at : {0, 1}) {
            EXPECT_EQ(Crc32c(data.data() + at, n), reference(data.data() + at, n))
                << n << "@" << at;
            // extended from the checksum of a first part
            const std::size_t k = n / 3;
            EXPECT_EQ(Crc32c(data.data() + at + k, n - k, Crc32c(data.data() + at, k)),
                      reference(data.data() + at, n))
                << n << "@" << at << " from " << k;
        }
    }
}

Bytes FromHex(const std::string& hex) {
    Bytes b;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        b.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return b;
}

// Varied() as the version 2 writer wrote it (no padding before the blocks).
Bytes VariedVersion2() {
    Bytes b = FromHex(
        "4842525302000000b30200000000000006000000040000004e616d65001e000000030000004e756d01000000"
        "0003000000416d7403000000000200000044740400000000040000004e6f7465002800000003000000416e79"
        "0700000000040000000600000000000000010100000002000000040000000500000002040001030f00000000"
        "0000000000000008000000360100003b0100000100000041010000076368616e676564ac02");
    b.insert(b.end(), 300, 'L');  // the long name
    const Bytes rest = FromHex(
        "046b657074056164646564010b0000000000000001000000f9ffffff00000000050000000103000000000000"
        "00d4300000d08affff000000000000000002050000000000000000000000a01de64000000000000000000000"
        "00000000e83f000000000000000003030000000000000000000080000000000000008000000080010000000f"
        "0000000e6ec3a920c3a0205ac3bc726963680407000000000000001300000000000000020108030000000001"
        "ff0400000000000004400100000000000000070500000073686f727403010000000000000005d43000000000"
        "00000600000000a01de64007000000000201da3224af");
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

TEST(ImageTest, VersionsAreCheckedAndNewerMinorSectionsSkipped) {
    const Bytes image = ImageOf(Varied());
    EXPECT_EQ(image[4], 3);
    EXPECT_TRUE(Says([&] { Load(Patched(image, 4, {4})); }, "version 4.0 is newer"));
    EXPECT_TRUE(Says([&] { Load(Patched(image, 4, {0})); }, "version 0.0 is older"));
    EXPECT_TRUE(Says([&] { Load(Bytes{'<', 'x', 'm', 'l', '>'}); }, "not a record-set image"));
    // images of version 1 (values row by row) are refused, not misread
    EXPECT_TRUE(Says([&] { Load(Patched(image, 4, {1})); }, "version 1.0 is older"));
    // version 2 images still read, by copying their blocks; read as version 3 they are refused
    const Bytes second = VariedVersion2();
    EXPECT_EQ(Cells(Load(second)), Cells(Varied()));
    EXPECT_EQ(ErrorOf([&] { Load(Patched(second, 4, {3})); }), err::BadImage);

    // minor 1 appends a section this reader does not know: skipped
    Bytes minor = image;
    minor.resize(minor.size() - 4);
    minor[6] = 1;
    const std::uint8_t section[] = {9, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 'c'};
    minor.insert(minor.end(), std::begin(section), std::end(section));
    minor.insert(minor.end(), 4, 0);
    auto rs = Load(Reseal(minor));
    EXPECT_EQ(rs->VisibleBookmarks(), (std::vector<Bookmark>{1, 4, 5}));

    // the same bytes under minor 0 are an error
    EXPECT_TRUE(Says([&] { Load(Patched(minor, 6, {0})); }, "unexpected bytes"));
}

// Images that pass the checksum but lie inside: counts, bookmarks, statuses.
TEST(ImageTest, LyingCountsAndBookmarksAreRejectedWithoutAllocating) {
    auto rs = PeopleRs();
    AddPerson(rs, "a", 1);
    AddPerson(rs, "b", 2);
    rs->UpdateBatch();
    const Bytes image = ImageOf(rs);
    // the row count follows the field definitions: find it by its value 2 after the fields
    std::size_t at = kImageHeaderSize + 4;
    for (int f = 0; f < rs->FieldCount(); ++f) {
        std::uint32_t len;
        std::memcpy(&len, &image[at], 4);
        at += 4 + len + 1 + 4;
    }
    ASSERT_EQ(image[at], 2);
    auto patched = [&](std::size_t pos, std::initializer_list<std::uint8_t> bytes) {
        return Patched(image, pos, bytes);
    };
    EXPECT_TRUE(Says([&] { Load(patched(at, {0xFF, 0xFF, 0xFF, 0x7F})); }, "row count"));
    EXPECT_TRUE(Says(
        [&] {
            Load(patched(kImageHeaderSize, {0xFF, 0xFF, 0xFF, 0xFF}));
        },
        "field count"));
    // bookmarks: consecutive from 1 (mode 0, u32 first) after the next-bookmark
    const std::size_t mode = at + 4 + 8;
    ASSERT_EQ(image[mode], 0);
    EXPECT_TRUE(Says([&] { Load(patched(mode + 1, {0, 0, 0, 0})); }, "bookmarks"));
    EXPECT_TRUE(Says([&] { Load(patched(mode + 5, {9})); }, "row 1 has the bad status 9"));
    EXPECT_TRUE(Says([&] { Load(patched(mode + 6, {3})); }, "row 2 has the bad status 3"));
    EXPECT_TRUE(Says([&] { Load(patched(mode + 5, {status::Modified})); }, "original values"));

    // bookmarks one per row (mode 1, in the sorted order): each may appear only once, whether
    // they are dense (next bookmark 3) or sparse (next bookmark far above the row count)
    rs->SetSort("Num DESC");
    const Bytes sorted = ImageOf(rs);
    ASSERT_EQ(sorted[mode], 1);
    ASSERT_EQ(sorted[mode + 1], 2);
    ASSERT_EQ(sorted[mode + 5], 1);
    auto patchedSorted = [&](std::size_t pos, std::initializer_list<std::uint8_t> bytes,
                             std::uint32_t next) {
        Bytes b = sorted;
        for (int k = 0; k < 4; ++k) b[at + 4 + k] = static_cast<std::uint8_t>(next >> (8 * k));
        return Patched(std::move(b), pos, bytes);
    };
    auto swapped = Load(patchedSorted(mode + 1, {1, 0, 0, 0, 2}, 3));  // distinct: loads
    EXPECT_EQ(Texts(swapped, "Name"), (Names{"b", "a"}));
    EXPECT_EQ(swapped->VisibleBookmarks(), (std::vector<Bookmark>{1, 2}));
    EXPECT_TRUE(Says([&] { Load(patchedSorted(mode + 1, {2, 0, 0, 0, 2}, 3)); }, "appears twice"));
    EXPECT_TRUE(Says(
        [&] {
            Load(patchedSorted(mode + 1, {0x88, 0x13, 0, 0, 0x88, 0x13}, 100000));
        },
        "appears twice"));
    EXPECT_EQ(Load(patchedSorted(mode + 1, {0x88, 0x13, 0, 0, 0x89, 0x13}, 100000))->RecordCount(),
              2);
}

// Many rows: columns span several segments, texts several pool chunks; the rows written in
// store order are copied as blocks, sorted or with gone rows they are gathered.
TEST(ImageTest, LargeSetsRoundTripAsBlocksAndGathered) {
    auto rs = ManyPeople();
    rs->SetBookmark(9000);
    rs->Set("Num", Value(static_cast<long long>(1) << 40));  // the column widens to 64 bits
    rs->UpdateBatch();
    EXPECT_EQ(rs->ValueAt(2, rs->FieldIndex("Num")), Value(-463));  // kept its sign
    const auto direct = Cells(rs);
    const auto opened = Load(ImageOf(rs));
    EXPECT_EQ(Cells(opened), direct);
    EXPECT_EQ(opened->Sum("Num"), Value(static_cast<long long>(Total(rs, "Num"))));
    EXPECT_EQ(opened->Sum("Amt"), Value(Currency{Total(rs, "Amt")}));

    rs->SetSort("Name DESC, Num");
    const auto sorted = Cells(rs);
    auto reloaded = Load(ImageOf(rs));
    EXPECT_EQ(Cells(reloaded), sorted);
    EXPECT_EQ(reloaded->VisibleBookmarks(), rs->VisibleBookmarks());

    rs->SetSort("");
    rs->SetBookmark(5);
    rs->Delete();
    rs->UpdateBatch();  // a gone row: the pool keeps garbage, texts are gathered
    rs->SetBookmark(6);
    rs->Set("Name", "changed");
    rs->Update();
    EXPECT_EQ(Cells(Load(ImageOf(rs))), Cells(rs));
    // a text added after a reload goes into the pool beside the loaded texts
    auto more = Load(ImageOf(rs));
    AddPerson(more, "after the reload", 1);
    more->MoveLast();
    EXPECT_EQ(TextOf(more->Get("Name")), "after the reload");
    EXPECT_EQ(Cells(Load(ImageOf(more))), Cells(more));
}

// Column blocks that pass the checksum but lie: each is a clear error.
TEST(ImageTest, LyingColumnBlocksAreRejected) {
    // two rows, and 64 (a whole bitmap word: its slots are checked together)
    for (const std::size_t rows : {std::size_t{2}, std::size_t{64}}) {
        SCOPED_TRACE(rows);
        auto rs = Recordset::Create();
        rs->AppendField("T", FieldType::Text);
        rs->AppendField("B", FieldType::Boolean);
        rs->Open();
        rs->AddNew({"T", "B"}, {Value("long text"), Value(true)});
        rs->AddNew({"T", "B"}, {Value("ab"), Value(false)});
        for (std::size_t i = 2; i < rows; ++i) rs->AddNew({"T", "B"}, {Value(), Value()});
        const Bytes image = ImageOf(rs);
        // fields (4 + 1 + 1 + 4 each), rows, next bookmark, bookmarks from 1, the statuses
        const std::size_t text = kImageHeaderSize + 4 + 2 * 10 + 4 + 8 + 5 + rows;
        ASSERT_EQ(image[text], static_cast<std::uint8_t>(ImageColumn::Texts));
        auto aligned = [](std::size_t at) { return (at + 7) / 8 * 8; };  // blocks after padding
        const std::size_t slots = aligned(text + 1) + 8;
        const std::size_t chunks = slots + 4 * rows;
        ASSERT_EQ(image[chunks], 1);  // one chunk of 10 bytes: length 9 and "long text"
        ASSERT_EQ(image[chunks + 4], 10);
        const std::size_t boolean = chunks + 8 + 10;
        ASSERT_EQ(image[boolean], static_cast<std::uint8_t>(ImageColumn::Whole32));
        const std::size_t booleans = aligned(boolean + 1) + 8;
        auto says = [&](std::size_t at, std::initializer_list<std::uint8_t> bytes,
                        const char* what) {
            return Says([&] { Load(Patched(image, at, bytes)); }, what);
        };
        EXPECT_TRUE(
            says(text, {static_cast<std::uint8_t>(ImageColumn::Bits64)}, "encoding of field 'T'"));
        EXPECT_TRUE(says(text, {9}, "encoding of field 'T'"));
        EXPECT_TRUE(says(slots, {0, 0, 1, 0}, "field 'T' holds a malformed text"));  // chunk 1
        EXPECT_TRUE(says(slots, {10, 0, 0, 0}, "malformed text"));  // past the chunk's end
        EXPECT_TRUE(says(chunks + 8, {12}, "malformed text"));      // longer than the chunk
        EXPECT_TRUE(says(chunks + 8, {3}, "malformed text"));       // short texts are inline
        EXPECT_TRUE(says(slots + 4, {'a', 'b', 'c', 0x82}, "malformed text"));  // inline junk
        EXPECT_TRUE(says(slots + 4, {'a', 'b', 0, 0x86}, "malformed text"));    // bad length
        EXPECT_TRUE(says(chunks, {0xFF, 0xFF, 0, 0}, "texts of field 'T' are malformed"));
        EXPECT_TRUE(says(chunks + 4, {0xFF, 0xFF}, "truncated in field 'T'"));
        EXPECT_TRUE(says(booleans, {2}, "bad Boolean"));
        EXPECT_TRUE(says(text + 1, {1}, "blocks of field 'T' are misplaced"));  // padding
        // a Null cell holds exactly what the column keeps there (the reader uses the slots as
        // they are): 0, or the empty inline text
        EXPECT_TRUE(says(booleans - 8, {2}, "'B' holds a value in a Null cell"));
        EXPECT_TRUE(says(slots - 8, {1}, "'T' holds a malformed text"));
        EXPECT_TRUE(says(slots + 4 * rows - 4, {0, 0, 1, 0x81}, "'T' holds a malformed text"));
        Bytes onlyFirst = Patched(image, booleans - 8, {1});  // the second row holds 0: Null
        onlyFirst = Patched(onlyFirst, slots - 8, {1});
        EXPECT_EQ(Load(Patched(onlyFirst, slots + 4, {0, 0, 0, 0x80}))->RecordCount(),
                  static_cast<long>(rows));
    }
}

// A record set opened from a stream's bytes keeps the image's blocks where they are: the set
// and the stream then change independently, neither sees the other's writes.
TEST(ImageTest, ARecordSetOpenedFromBytesSharesThemUntilEitherWrites) {
    auto rs = ManyPeople();  // several segments per column, several text chunks
    Stream s;
    s.Open();
    rs->Save(s);
    const Bytes bytes = s.Buffer();
    s.SetPosition(0);
    auto back = Recordset::Create();
    back->Open(s);
    EXPECT_GT(s.Owner().use_count(), 2) << "the opened set keeps the stream's bytes";
    EXPECT_EQ(Cells(back), Cells(rs));
    // writing through the set: slots in the first and the last segment, new and deleted rows
    for (Bookmark b : {1, 4097, 8999, 9000}) {
        back->SetBookmark(b);
        back->Set("Name", "edited " + std::to_string(b));
        back->Set("Num", b * 3);
        back->Set("Amt", Value::Null());
        back->Update();
    }
    back->SetBookmark(5000);
    back->Delete();
    AddPerson(back, "added after opening", 1);
    back->UpdateBatch();
    EXPECT_EQ(s.Buffer(), bytes);
    for (const auto& set : {rs, back}) EXPECT_EQ(Cells(Load(ImageOf(set))), Cells(set));
    // writing to the stream: the set keeps what it read
    const auto cells = Cells(back);
    s.SetPosition(0);
    s.Write(Bytes(bytes.size(), 0xEE));
    EXPECT_EQ(Cells(back), cells);
}

}  // namespace
}  // namespace records::testing
