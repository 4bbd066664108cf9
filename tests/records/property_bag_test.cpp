#include "records/property_bag.h"

#include <gtest/gtest.h>

#include <functional>

#include "records/errors.h"
#include "records/value_codec.h"

namespace records {
namespace {

// The description of the BadImage error that loading image throws ("" when it loads).
std::string LoadError(PropertyBag& bag, const Bytes& image) {
    try {
        bag.SetContents(image);
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::BadImage) << e.Description();
        return e.Description();
    }
    return {};
}

void FixChecksum(Bytes& image) {
    image.resize(image.size() - 4);
    ByteWriter(image).U32(Crc32(image.data(), image.size()));
}

PropertyBag SampleBag() {
    PropertyBag bag;
    bag.WriteProperty("Text", Value("Smith, \"J\" \xC3\xA9"));
    bag.WriteProperty("Long", Value(-2));
    bag.WriteProperty("Big", Value(static_cast<long long>(1) << 40));
    bag.WriteProperty("Flag", Value(true));
    bag.WriteProperty("Real", Value(0.1));
    bag.WriteProperty("Money", Value(Currency{10864292}));
    bag.WriteProperty("When", Value(Date{-1.25}));
    bag.WriteProperty("Nothing", Value::Null());
    bag.WriteProperty("Blank", Value(""));
    bag.WriteProperty("Raw", Value(Bytes{0, 1, 255}));
    bag.WriteProperty("Unset", Value(), Value(0));  // Empty differs from the default 0
    return bag;
}

TEST(PropertyBag, ImageRoundTripKeepsOrderKindsAndValues) {
    const PropertyBag bag = SampleBag();
    const Bytes image = bag.Contents();
    PropertyBag copy;
    copy.SetContents(image);
    EXPECT_EQ(copy.Count(), bag.Count());
    EXPECT_EQ(copy.Contents(), image);  // same order, same encoding
    EXPECT_EQ(copy.ReadProperty("Money"), Value(Currency{10864292}));
    EXPECT_EQ(copy.ReadProperty("When"), Value(Date{-1.25}));
    EXPECT_TRUE(copy.ReadProperty("Nothing", Value(1)).isNull());
    EXPECT_EQ(copy.ReadProperty("Blank", Value("x")), Value(""));
    EXPECT_TRUE(copy.ReadProperty("Unset", Value(0)).isEmpty());
    EXPECT_EQ(copy.ReadProperty("Raw"), Value(Bytes{0, 1, 255}));
}

TEST(PropertyBag, DefaultsDecideWhatIsStored) {
    PropertyBag bag;
    bag.WriteProperty("rsAccntRecv_FILTER", Value(0), Value(0));
    bag.WriteProperty("rsAccntRecv_POSITION", Value(-2), Value(-2));
    bag.WriteProperty("mTxtBankruptcy_Text", Value(""), Value(""));
    bag.WriteProperty("ThisRow", Value(), Value());
    EXPECT_EQ(bag.Count(), 0u);

    bag.WriteProperty("Same", Value(5), Value(5.0));  // a different kind is not the default
    bag.WriteProperty("Text", Value("0"), Value(0));
    EXPECT_EQ(bag.Count(), 2u);

    bag.WriteProperty("Position", Value(3), Value(-2));
    EXPECT_EQ(bag.ReadProperty("position", Value(-2)), Value(3));  // names ignore letter case
    bag.WriteProperty("POSITION", Value(-2), Value(-2));           // back to the default: removed
    EXPECT_FALSE(bag.Contains("Position"));
    EXPECT_EQ(bag.ReadProperty("Position", Value(-2)), Value(-2));
    EXPECT_EQ(bag.ReadProperty("Missing", Value("dflt")), Value("dflt"));
    EXPECT_TRUE(bag.ReadProperty("Missing").isEmpty());

    // rewriting a name replaces it in place
    bag = PropertyBag();
    bag.WriteProperty("A", Value(1));
    bag.WriteProperty("B", Value(2));
    bag.WriteProperty("a", Value("one"));
    EXPECT_EQ(bag.Count(), 2u);
    PropertyBag expected;
    expected.WriteProperty("A", Value("one"));
    expected.WriteProperty("B", Value(2));
    EXPECT_EQ(bag.Contents(), expected.Contents());
}

TEST(PropertyBag, EveryTruncationIsRejectedAndKeepsTheOldContent) {
    const Bytes image = SampleBag().Contents();
    PropertyBag bag;
    bag.WriteProperty("Keep", Value(1));
    const Bytes before = bag.Contents();
    for (std::size_t n = 0; n < image.size(); ++n) {
        const Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n));
        const std::string message = LoadError(bag, cut);
        EXPECT_NE(message.find("truncated"), std::string::npos) << n << ": " << message;
        EXPECT_EQ(bag.Contents(), before) << n;
    }
}

TEST(PropertyBag, CorruptImagesNameWhatIsWrong) {
    PropertyBag small;
    small.WriteProperty("Name", Value("abc"));
    small.WriteProperty("Flag", Value(true));
    const Bytes good = small.Contents();
    // layout: magic 0..3, version 4, count 5..8, "Name" at 9.., value tag at 17, length 18..21
    struct Case {
        const char* label;
        std::function<void(Bytes&)> damage;
        const char* expected;
    };
    // sets the byte at `at` (counted from the end when negative), the checksum made right again
    auto set = [](std::ptrdiff_t at, std::uint8_t v) {
        return [=](Bytes& b) {
            *((at < 0 ? b.end() : b.begin()) + at) = v;
            FixChecksum(b);
        };
    };
    const Case cases[] = {
        {"magic", [](Bytes& b) { b[0] = 'X'; }, "bad magic"},
        {"newer version", set(4, 2), "version 2 is newer"},
        {"version 0", set(4, 0), "version 0 is not a valid version"},
        {"checksum", [](Bytes& b) { b[23] ^= 0x20; }, "checksum mismatch"},
        {"stored checksum", [](Bytes& b) { b.back() ^= 1; }, "checksum mismatch"},
        {"trailing", [](Bytes& b) { b.push_back(0); }, "1 trailing bytes"},
        {"huge count", set(8, 0x7F), "item count"},
        {"unknown type", set(17, 42), "unknown value type 42"},
        {"text longer than image", set(21, 0x10), "item 1 of 2 (\"Name\"), value is truncated"},
        {"Boolean byte", set(-5, 7), "Boolean byte 7"},
        {"duplicate name",
         [](Bytes& b) {
             std::copy_n("NAME", 4, b.begin() + 29);
             FixChecksum(b);
         },
         "repeats the name"},
    };
    for (const auto& c : cases) {
        Bytes image = good;
        c.damage(image);
        PropertyBag bag;
        bag.WriteProperty("Keep", Value(1));
        const std::string message = LoadError(bag, image);
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.label << ": " << message;
        EXPECT_EQ(bag.ReadProperty("Keep"), Value(1)) << c.label;
        EXPECT_EQ(bag.Count(), 1u) << c.label;
    }
}

}  // namespace
}  // namespace records
