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
    std::uint64_t key;  // order-preserving image of the cell (8 bytes of a text)
    RowId row;
    // 0 for Null (sorts first in either direction); for a text 1 + its length (at most
    // 0xFFFFFFFF), otherwise 1
    std::uint32_t present;
};

// From this many items a level is sorted by radix rather than by comparisons.
constexpr std::ptrdiff_t kRadixItems = 2048;
// Texts alike in this many first bytes are compared whole rather than eight bytes at a time.
constexpr std::size_t kTextWordBytes = 64;

// Orders items by (Null or not, key, row) with a stable least-significant-byte-first radix sort:
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
        anyNull = anyNull || it.present == 0;
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
// whole numbers, and only the runs of equal images go on. A text's image is its eight bytes
// from `offset` (upper-cased); a run of texts that are longer goes on with the next eight
// bytes, so texts are compared a word at a time and only cells of variants are compared one by
// one. A key with few distinct values costs one pass over its texts.
void SortLevel(const RowStore& store, const std::vector<SortKey>& keys, std::size_t level,
               SortItem* from, SortItem* to, std::size_t offset = 0) {
    const SortKey& k = keys[level];
    const Column& c = store.Col(k.field);
    const Storage kind = c.Kind();
    const bool exact = kind == Storage::Number || kind == Storage::Real;
    for (SortItem* it = from; it != to; ++it) {
        if (to - it > 16) c.Prefetch(it[16].row);  // rows in another order than storage
        it->present = c.IsNull(it->row) ? 0 : 1;
        std::uint64_t key = 0;
        if (it->present && kind == Storage::Text) {
            const std::string_view text = c.Text(it->row);
            it->present =
                static_cast<std::uint32_t>(1 + std::min<std::size_t>(text.size(), 0xFFFFFFFEu));
            key = TextKey(text.size() > offset ? text.substr(offset) : std::string_view());
        } else if (it->present && kind != Storage::Any) {
            key = NumberKey(c, it->row);
        }
        it->key = k.descending ? ~key : key;
    }
    auto byKey = [](const SortItem& x, const SortItem& y) {
        if ((x.present != 0) != (y.present != 0)) return x.present == 0;
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
    auto next = [&](SortItem* a, SortItem* b) {
        if (b - a > 1 && !last) SortLevel(store, keys, level + 1, a, b);
    };
    auto cellOrder = [&](const SortItem& x, const SortItem& y) {
        int r = CompareCells(c, x.row, y.row);
        if (k.descending) r = -r;
        return r != 0 ? r < 0 : x.row < y.row;
    };
    // Sorts a run by the cells and settles each group of equal cells by the next keys.
    auto byCells = [&](SortItem* run, SortItem* end) {
        std::sort(run, end, cellOrder);
        for (SortItem* group = run; group != end;) {
            SortItem* groupEnd = group + 1;
            while (groupEnd != end && CompareCells(c, group->row, groupEnd->row) == 0) ++groupEnd;
            next(group, groupEnd);
            group = groupEnd;
        }
    };
    // runs of equal images: settle them by the rest of the texts or the cells where needed,
    // then by the next keys
    for (SortItem* run = from; run != to;) {
        SortItem* end = run + 1;
        while (end != to && (end->present != 0) == (run->present != 0) && end->key == run->key) {
            ++end;
        }
        if (end - run > 1) {
            if (exact || run->present == 0) {
                next(run, end);
            } else if (kind == Storage::Text) {
                // the texts agree on their first offset + 8 bytes (shorter ones padded with
                // zero bytes): equal when they also have the same length and none is longer
                std::uint32_t longest = 0;
                bool sameLength = true;
                for (SortItem* it = run; it != end; ++it) {
                    longest = std::max(longest, it->present);
                    sameLength = sameLength && it->present == run->present;
                }
                if (longest - 1 <= offset + 8) {
                    if (sameLength) {
                        next(run, end);
                    } else {
                        byCells(run, end);  // they differ only by trailing zero bytes
                    }
                } else if (offset < kTextWordBytes) {
                    SortLevel(store, keys, level, run, end, offset + 8);
                } else {
                    byCells(run, end);  // long texts alike at the start: compared whole
                }
            } else {
                byCells(run, end);
            }
        }
        run = end;
    }
}

// Puts rows in ascending order: a bitmap over the store's slots when the rows are many and
// each appears once (a view's rows), a comparison sort otherwise.
void SortAscending(const RowStore& store, std::vector<RowId>& rows) {
    if (std::is_sorted(rows.begin(), rows.end())) return;
    const std::size_t slots = store.Slots();
    std::vector<std::uint64_t> bits((slots + 63) / 64, 0);
    std::size_t once = 0;
    for (RowId r : rows) {
        if (r >= slots) break;
        std::uint64_t& w = bits[r >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (r & 63);
        once += (w & bit) ? 0 : 1;
        w |= bit;
    }
    if (once != rows.size()) {
        std::sort(rows.begin(), rows.end());
        return;
    }
    std::size_t i = 0;
    for (std::size_t word = 0; word < bits.size(); ++word) {
        for (std::uint64_t w = bits[word]; w != 0; w &= w - 1) {
            rows[i++] = static_cast<RowId>(64 * word + static_cast<unsigned>(std::countr_zero(w)));
        }
    }
}

}  // namespace

void SortRows(const RowStore& store, const std::vector<SortKey>& keys, std::vector<RowId>& rows) {
    if (keys.empty()) {
        if (!std::is_sorted(rows.begin(), rows.end())) std::sort(rows.begin(), rows.end());
        return;
    }
    // ties keep load order: every level orders equal keys by row, so the rows may be taken in
    // storage order, where reading their cells is sequential
    if (rows.size() >= static_cast<std::size_t>(kRadixItems)) SortAscending(store, rows);
    std::vector<SortItem> items(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) items[i].row = rows[i];
    SortLevel(store, keys, 0, items.data(), items.data() + items.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = items[i].row;
}

}  // namespace records
