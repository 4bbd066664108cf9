#include "records/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "records/errors.h"
#include "recordset_fixture.h"

namespace records {
namespace {

using testing::ErrorOf;

Bytes B(std::initializer_list<int> v) {
    Bytes b;
    for (int x : v) b.push_back(static_cast<std::uint8_t>(x));
    return b;
}

class StreamFile : public ::testing::Test {
  protected:
    void SetUp() override {
        // unique per run: several builds may run these tests at once
        const auto tag = std::to_string(std::random_device{}());
        path_ = (std::filesystem::temp_directory_path() / ("halberon_stream_" + tag)).string();
        std::filesystem::remove(path_);
    }
    void TearDown() override { std::filesystem::remove(path_); }
    std::string path_;
};

TEST(Stream, WritesOverwriteAndExtendAtThePosition) {
    Stream s;
    s.Open();
    EXPECT_EQ(ErrorOf([&] { s.Open(); }), err::ObjectOpen);
    s.Write(B({1, 2, 3, 4}));
    EXPECT_EQ(s.Position(), 4);
    s.SetPosition(2);
    s.Write(B({9, 9, 9}));
    EXPECT_EQ(s.Buffer(), B({1, 2, 9, 9, 9}));
    s.SetPosition(5);
    s.Write(s.Buffer());  // appending itself must not read a moved buffer
    EXPECT_EQ(s.Buffer(), B({1, 2, 9, 9, 9, 1, 2, 9, 9, 9}));
    s.SetPosition(5);
    s.SetEOS();
    s.SetPosition(1);
    EXPECT_EQ(s.Read(2), B({2, 9}));
    EXPECT_EQ(s.Read(), B({9, 9}));
    EXPECT_TRUE(s.AtEnd());
    EXPECT_EQ(s.Read(10), Bytes{});
    s.SetPosition(3);
    s.SetEOS();
    EXPECT_EQ(s.Buffer(), B({1, 2, 9}));
    EXPECT_EQ(ErrorOf([&] { s.SetPosition(4); }), err::InvalidArgument);
    EXPECT_EQ(ErrorOf([&] { s.SetPosition(-1); }), err::InvalidArgument);
}

// Reserve hands out room at the position to be written in place: inside the data it overwrites,
// past the end it extends the stream by room that the caller fills.
TEST(Stream, ReserveWritesAtThePosition) {
    Stream s;
    s.Open();
    s.Write(B({1, 2, 3, 4, 5}));
    s.SetPosition(1);
    std::uint8_t* at = s.Reserve(2);
    at[0] = 7;
    at[1] = 8;
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.Buffer(), B({1, 7, 8, 4, 5}));  // nothing beyond the room changed
    s.SetPosition(4);
    at = s.Reserve(3);
    EXPECT_EQ(s.Size(), 7);
    at[0] = 6;
    at[1] = 0;
    at[2] = 9;
    EXPECT_EQ(s.Position(), 7);
    EXPECT_EQ(s.Buffer(), B({1, 7, 8, 4, 6, 0, 9}));
    Stream dest;
    dest.Open();
    s.SetPosition(1);
    s.CopyTo(dest, 2);
    EXPECT_EQ(dest.Buffer(), B({7, 8}));
    s.Close();
    EXPECT_EQ(ErrorOf([&] { s.Reserve(1); }), err::ObjectClosed);
}

TEST_F(StreamFile, SaveAndLoadRoundTrip) {
    Stream s;
    s.Open();
    s.Write(B({0, 255, 10, 13, 26}));  // binary bytes survive as they are
    s.SetPosition(2);
    s.SaveToFile(path_);
    EXPECT_EQ(s.Position(), 2);

    Stream t;
    t.Open();
    t.Write(B({5, 5, 5, 5, 5, 5, 5, 5}));
    t.LoadFromFile(path_);
    EXPECT_EQ(t.Buffer(), B({0, 255, 10, 13, 26}));  // replaced, not merged
    EXPECT_EQ(t.Position(), 0);

    EXPECT_EQ(ErrorOf([&] { s.SaveToFile(path_, false); }), err::FileWriteFailed);
    Stream empty;
    empty.Open();
    empty.SaveToFile(path_);  // overwriting empties the file
    EXPECT_EQ(std::filesystem::file_size(path_), 0u);

    // loading a missing file is FileNotFound
    std::filesystem::remove(path_);
    s.SetPosition(0);
    s.SetEOS();
    s.Write(B({1}));
    EXPECT_EQ(ErrorOf([&] { s.LoadFromFile(path_); }), err::FileNotFound);
    EXPECT_EQ(s.Buffer(), B({1}));  // untouched
    EXPECT_EQ(
        ErrorOf([&] { s.SaveToFile((std::filesystem::path(path_) / "no" / "dir").string()); }),
        err::FileWriteFailed);
}

}  // namespace
}  // namespace records
