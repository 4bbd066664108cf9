// Replays the fuzz targets' seed corpora (fuzz/corpus/<target>/) through the same entry points,
// so every compiler and every test run checks them, not only fuzzing sessions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "entry_points.h"
#include "records/errors.h"

namespace records::fuzz {
namespace {

struct Target {
    const char* corpus;  // folder under fuzz/corpus
    void (*entry)(const std::uint8_t*, std::size_t);
};

// One line per fuzz target.
const Target kTargets[] = {
    {"property_bag", &FuzzPropertyBag},
    {"recordset_image", &FuzzRecordsetImage},
    {"filter", &FuzzFilter},
};

class CorpusReplay : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EverySeedRunsCleanly) {
    const Target t = GetParam();
    const std::filesystem::path dir = std::filesystem::path(HALBERON_FUZZ_CORPUS) / t.corpus;
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
        // entries handle the loaders' own rejections; anything escaping them is a fault
        EXPECT_NO_THROW(t.entry(data.data(), data.size())) << entry.path().filename();
        ++files;
    }
    EXPECT_GT(files, 0) << "empty corpus " << dir;
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(kTargets),
                         [](const auto& p) { return std::string(p.param.corpus); });

}  // namespace
}  // namespace records::fuzz
