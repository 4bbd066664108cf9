#include "records/sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "records/errors.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace records {

namespace {

[[noreturn]] void Fail(std::string_view text, const std::string& why) {
    throw Error(err::BadFilter, "Invalid sort expression \"" + std::string(text) + "\": " + why);
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Order-preserving 64-bit image of a cell's value (the first key's fast path).
std::uint64_t NumberKey(const Column& c, RowId r) {
    if (c.Kind() == Storage::Number) return c.Bits(r) ^ (std::uint64_t{1} << 63);
    const std::uint64_t b = c.Bits(r);
    if (c.Real(r) != c.Real(r)) return 0;  // NaN before every number, as CompareForSort has it
    return (b >> 63) ? ~b : (b | (std::uint64_t{1} << 63));
}

std::uint64_t TextKey(std::string_view s) {
    std::uint64_t k = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const auto ch =
            i < s.size() ? static_cast<unsigned char>(AsciiUpper(s[i])) : std::uint64_t{0};
        k = (k << 8) | ch;
    }
    return k;
}

int CompareCells(const Column& c, RowId a, RowId b) {
    const bool na = c.IsNull(a), nb = c.IsNull(b);
    if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
    switch (c.Kind()) {
        case Storage::Number: {
            const auto x = c.Whole(a), y = c.Whole(b);
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        case Storage::Real: {
            const double x = c.Real(a), y = c.Real(b);
            if (x != x || y != y) return (x != x) == (y != y) ? 0 : (x != x ? -1 : 1);
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        case Storage::Text:
            return CompareTextNoCase(c.Text(a), c.Text(b));
        case Storage::Any:
            return CompareForSort(c.Any(a), c.Any(b));
    }
    return 0;
}

}  // namespace

std::vector<SortKey> ParseSort(std::string_view text, const std::vector<FieldDef>& fields) {
    std::vector<SortKey> keys;
    if (TrimBlanks(text).empty()) return keys;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = start;
        // a comma inside brackets belongs to the name
        bool inBracket = false;
        while (comma < text.size() && (inBracket || text[comma] != ',')) {
            if (text[comma] == '[') inBracket = true;
            if (text[comma] == ']') inBracket = false;
            ++comma;
        }
        std::string_view item = TrimBlanks(text.substr(start, comma - start));
        if (item.empty()) Fail(text, "a field name is missing");
        std::string_view name;
        std::string_view rest;
        if (item.front() == '[') {
            const std::size_t end = item.find(']');
            if (end == std::string_view::npos) Fail(text, "a field name lacks its closing ']'");
            name = item.substr(1, end - 1);
            rest = TrimBlanks(item.substr(end + 1));
        } else {
            std::size_t sp = 0;
            while (sp < item.size() && item[sp] != ' ' && item[sp] != '\t') ++sp;
            name = item.substr(0, sp);
            rest = TrimBlanks(item.substr(sp));
        }
        SortKey key;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (EqualsIgnoreCase(fields[f].name, name)) key.field = static_cast<int>(f);
        }
        if (key.field < 0) Fail(text, "unknown field '" + std::string(name) + "'");
        if (fields[key.field].type == FieldType::Bytes) {
            Fail(text, "field '" + std::string(name) + "' cannot be sorted");
        }
        if (EqualsIgnoreCase(rest, "DESC")) {
            key.descending = true;
        } else if (!rest.empty() && !EqualsIgnoreCase(rest, "ASC")) {
            Fail(text, "'" + std::string(rest) + "' is neither ASC nor DESC");
        }
        keys.push_back(key);
        if (comma >= text.size()) break;
        start = comma + 1;
    }
    return keys;
}

int CompareRows(const RowStore& store, const std::vector<SortKey>& keys, RowId a, RowId b) {
    for (const SortKey& k : keys) {
        const Column& c = store.Col(k.field);
        const bool na = c.IsNull(a), nb = c.IsNull(b);
        if (na || nb) {
            if (na != nb) return na ? -1 : 1;  // Null first in either direction
            continue;
        }
        const int r = CompareCells(c, a, b);
        if (r != 0) return k.descending ? -r : r;
    }
    return 0;
}

namespace {

struct SortItem {
    std::uint64_t key;  // order-preserving image of the cell (a text's first 8 bytes)
    RowId row;
    std::uint32_t present;  // 0 for Null: sorts first in either direction
};

// From this many items a level is sorted by radix rather than by comparisons.
constexpr std::ptrdiff_t kRadixItems = 2048;

// Orders items by (present, key, row) with a stable least-significant-byte-first radix sort:
// the row's bytes first (only when the rows are not in order already), then the key's, then
// Null first; bytes that are the same in every item are passed over.
void RadixSort(SortItem* from, SortItem* to) {
    const auto n = static_cast<std::size_t>(to - from);
    std::vector<SortItem> scratch(n);
    SortItem* src = from;
    SortItem* dst = scratch.data();
    // byte b of the 12 sorting bytes: 0..3 the row, 4..11 the key
    auto byteOf = [](const SortItem& it, int b) -> unsigned {
        return static_cast<unsigned>(b < 4 ? (it.row >> (8 * b)) & 0xFFu
                                           : (it.key >> (8 * (b - 4))) & 0xFFu);
    };
    std::vector<std::array<std::uint32_t, 256>> counts(12);
    for (auto& c : counts) c.fill(0);
    bool rowsInOrder = true;
    bool anyNull = false;
    for (std::size_t i = 0; i < n; ++i) {
        const SortItem& it = src[i];
        for (int b = 0; b < 12; ++b) ++counts[b][byteOf(it, b)];
        if (i > 0 && src[i - 1].row > it.row) rowsInOrder = false;
        anyNull = anyNull || !it.present;
    }
    for (int b = rowsInOrder ? 4 : 0; b < 12; ++b) {
        auto& c = counts[b];
        if (c[byteOf(src[0], b)] == n) continue;  // the same byte everywhere
        std::uint32_t at = 0;
        for (auto& k : c) {
            const std::uint32_t m = k;
            k = at;
            at += m;
        }
        for (std::size_t i = 0; i < n; ++i) dst[c[byteOf(src[i], b)]++] = src[i];
        std::swap(src, dst);
    }
    if (anyNull) {
        // Null (present 0) first, each side in its order
        std::size_t nulls = 0;
        for (std::size_t i = 0; i < n; ++i) nulls += src[i].present ? 0 : 1;
        std::size_t a = 0, b = nulls;
        for (std::size_t i = 0; i < n; ++i) dst[src[i].present ? b++ : a++] = src[i];
        std::swap(src, dst);
    }
    if (src != from) std::copy(src, src + n, from);
}

// Orders items[from, to) (all equal by the keys before `level`, in row order) by the keys from
// `level` on, most significant key first: each key becomes a 64-bit image per row, sorted as
// whole numbers; only where that image may not decide (texts longer than its 8 bytes, variants)
// are the cells compared, and only within the run of equal images. So a key with few distinct
// values costs one pass over its texts, not a text comparison for every tie.
void SortLevel(const RowStore& store, const std::vector<SortKey>& keys, std::size_t level,
               SortItem* from, SortItem* to) {
    const SortKey& k = keys[level];
    const Column& c = store.Col(k.field);
    const Storage kind = c.Kind();
    const bool exact = kind == Storage::Number || kind == Storage::Real;
    for (SortItem* it = from; it != to; ++it) {
        if (to - it > 16) c.Prefetch(it[16].row);  // rows in another order than storage
        it->present = c.IsNull(it->row) ? 0 : 1;
        std::uint64_t key = 0;
        if (it->present && kind != Storage::Any) {
            key = kind == Storage::Text ? TextKey(c.Text(it->row)) : NumberKey(c, it->row);
            if (k.descending) key = ~key;
        }
        it->key = key;
    }
    auto byKey = [](const SortItem& x, const SortItem& y) {
        if (x.present != y.present) return x.present < y.present;
        if (x.key != y.key) return x.key < y.key;
        return x.row < y.row;
    };
    if (!std::is_sorted(from, to, byKey)) {
        if (to - from >= kRadixItems) {
            RadixSort(from, to);
        } else {
            std::sort(from, to, byKey);
        }
    }
    const bool last = level + 1 == keys.size();
    auto cellOrder = [&](const SortItem& x, const SortItem& y) {
        int r = CompareCells(c, x.row, y.row);
        if (k.descending) r = -r;
        return r != 0 ? r < 0 : x.row < y.row;
    };
    // runs of equal images: settle them by the cells where needed, then by the next keys
    for (SortItem* run = from; run != to;) {
        SortItem* end = run + 1;
        while (end != to && end->present == run->present && end->key == run->key) ++end;
        if (end - run > 1) {
            if (exact || !run->present) {
                if (!last) SortLevel(store, keys, level + 1, run, end);
            } else {
                bool same = true;
                for (SortItem* it = run + 1; it != end && same; ++it) {
                    same = CompareCells(c, run->row, it->row) == 0;
                }
                if (same) {
                    if (!last) SortLevel(store, keys, level + 1, run, end);
                } else {
                    std::sort(run, end, cellOrder);
                    for (SortItem* group = run; group != end;) {
                        SortItem* groupEnd = group + 1;
                        while (groupEnd != end && CompareCells(c, group->row, groupEnd->row) == 0) {
                            ++groupEnd;
                        }
                        if (groupEnd - group > 1 && !last) {
                            SortLevel(store, keys, level + 1, group, groupEnd);
                        }
                        group = groupEnd;
                    }
                }
            }
        }
        run = end;
    }
}

}  // namespace

void SortRows(const RowStore& store, const std::vector<SortKey>& keys, std::vector<RowId>& rows) {
    if (keys.empty()) {
        if (!std::is_sorted(rows.begin(), rows.end())) std::sort(rows.begin(), rows.end());
        return;
    }
    std::vector<SortItem> items(rows.size());
    // ties keep load order: every level orders equal keys by row
    for (std::size_t i = 0; i < rows.size(); ++i) items[i].row = rows[i];
    SortLevel(store, keys, 0, items.data(), items.data() + items.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = items[i].row;
}

}  // namespace records
