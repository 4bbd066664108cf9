#include "records/equality_index.h"

#include "records/text_util.h"

namespace records {

EqualityIndex::EqualityIndex(const Column& c, std::uint32_t rows) : covered_(rows) {
    constexpr std::uint32_t kNull = 0xFFFFFFFFu;
    const bool text = c.Kind() == Storage::Text;
    // the group of each row, numbered in order of first appearance
    std::vector<std::uint32_t> group(rows, kNull);
    std::vector<std::uint32_t> counts;
    std::string key;
    for (std::uint32_t r = 0; r < rows; ++r) {
        if (c.IsNull(r)) continue;
        const auto next = static_cast<std::uint32_t>(counts.size());
        std::uint32_t id;
        if (text) {
            const std::string_view s = c.Text(r);
            key.assign(s);
            for (char& ch : key) ch = AsciiUpper(ch);
            id = texts_.try_emplace(key, next).first->second;
        } else {
            id = numbers_.try_emplace(c.Bits(r), next).first->second;
        }
        if (id == next) counts.push_back(0);
        ++counts[id];
        group[r] = id;
    }
    start_.assign(counts.size() + 1, 0);
    for (std::size_t g = 0; g < counts.size(); ++g) start_[g + 1] = start_[g] + counts[g];
    rows_.resize(start_.back());
    std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
    for (std::uint32_t r = 0; r < rows; ++r) {
        if (group[r] != kNull) rows_[fill[group[r]]++] = r;
    }
}

std::span<const std::uint32_t> EqualityIndex::Group(std::uint32_t id) const {
    return {rows_.data() + start_[id], start_[id + 1] - start_[id]};
}

std::span<const std::uint32_t> EqualityIndex::Rows(std::uint64_t bits) const {
    auto it = numbers_.find(bits);
    return it == numbers_.end() ? std::span<const std::uint32_t>() : Group(it->second);
}

std::span<const std::uint32_t> EqualityIndex::Rows(std::string_view text) const {
    auto it = texts_.find(ToUpperAscii(text));
    return it == texts_.end() ? std::span<const std::uint32_t>() : Group(it->second);
}

}  // namespace records
