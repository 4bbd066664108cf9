#include "records/sort.h"

#include <algorithm>
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

void SortRows(const RowStore& store, const std::vector<SortKey>& keys, std::vector<RowId>& rows) {
    if (keys.empty()) {
        if (!std::is_sorted(rows.begin(), rows.end())) std::sort(rows.begin(), rows.end());
        return;
    }
    // The first key goes into a 64-bit prefix so most comparisons touch no column; ties fall
    // back to the full comparison and then to load order.
    struct Item {
        std::uint64_t prefix;
        RowId row;
        std::uint32_t null;  // 0 for Null: sorts first in either direction
    };
    const Column& first = store.Col(keys[0].field);
    const bool exact = first.Kind() == Storage::Number || first.Kind() == Storage::Real;
    const bool fast = exact || first.Kind() == Storage::Text;
    std::vector<Item> items(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RowId r = rows[i];
        Item& it = items[i];
        it.row = r;
        it.null = first.IsNull(r) ? 0 : 1;
        it.prefix = 0;
        if (it.null && fast) {
            it.prefix = first.Kind() == Storage::Text ? TextKey(first.Text(r)) : NumberKey(first, r);
            if (keys[0].descending) it.prefix = ~it.prefix;
        }
    }
    const bool desc0 = keys[0].descending;
    std::sort(items.begin(), items.end(), [&](const Item& x, const Item& y) {
        if (x.null != y.null) return x.null < y.null;
        if (x.prefix != y.prefix) return x.prefix < y.prefix;
        int c = 0;
        if (x.null && !exact) {
            c = CompareCells(first, x.row, y.row);
            if (desc0) c = -c;
        }
        if (c == 0 && keys.size() > 1) {
            for (std::size_t k = 1; k < keys.size() && c == 0; ++k) {
                const Column& col = store.Col(keys[k].field);
                const bool nx = col.IsNull(x.row), ny = col.IsNull(y.row);
                if (nx || ny) {
                    c = nx == ny ? 0 : (nx ? -1 : 1);
                } else {
                    c = CompareCells(col, x.row, y.row);
                    if (keys[k].descending) c = -c;
                }
            }
        }
        if (c != 0) return c < 0;
        return x.row < y.row;
    });
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = items[i].row;
}

}  // namespace records
