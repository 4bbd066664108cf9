#include "records/column_store.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "records/errors.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace records {

namespace {

constexpr std::uint32_t kInline = 0x80000000u;
constexpr std::uint32_t kChunkBits = 16;
constexpr std::uint32_t kChunkLimit = 1u << kChunkBits;  // offsets within a chunk
constexpr std::uint32_t kMaxChunks = 1u << (31 - kChunkBits);
constexpr std::uint32_t kFirstChunk = 256;

}  // namespace

// --- TextPool

std::uint32_t TextPool::Add(std::string_view s) {
    const std::size_t need = VarintSize(s.size()) + s.size();
    if (chunks_.empty() || chunks_.back().capacity - chunks_.back().size < need ||
        chunks_.back().size >= kChunkLimit) {
        if (chunks_.size() >= kMaxChunks) {
            throw Error(err::Overflow, "The text storage of a field is full");
        }
        std::uint32_t cap =
            chunks_.empty() ? kFirstChunk : std::min(chunks_.back().capacity * 2, kChunkLimit);
        if (need > cap) cap = static_cast<std::uint32_t>(std::max<std::size_t>(need, cap));
        blocks_.emplace_back(new char[cap]);
        Chunk c;
        c.data = blocks_.back().get();
        c.capacity = cap;
        chunks_.push_back(c);
    }
    Chunk& c = chunks_.back();
    const std::uint32_t ref =
        (static_cast<std::uint32_t>(chunks_.size() - 1) << kChunkBits) | c.size;
    char* p = c.data + c.size;
    std::size_t n = s.size();
    while (n >= 0x80) {
        *p++ = static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    *p++ = static_cast<char>(n);
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    c.size += static_cast<std::uint32_t>(need);
    used_ += need;
    return ref;
}

std::string_view TextPool::Get(std::uint32_t ref) const {
    const Chunk& c = chunks_[ref >> kChunkBits];
    const char* p = c.data + (ref & (kChunkLimit - 1));
    std::size_t n = 0;
    int shift = 0;
    for (;;) {
        const auto b = static_cast<unsigned char>(*p++);
        n |= static_cast<std::size_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) break;
        shift += 7;
    }
    return {p, n};
}

std::size_t TextPool::MemoryBytes() const {
    std::size_t n = chunks_.capacity() * sizeof(Chunk) + blocks_.capacity() * sizeof(void*);
    for (const auto& c : chunks_) n += c.capacity;
    return n;
}

void TextPool::Clear() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    blocks_.clear();
    blocks_.shrink_to_fit();
    used_ = garbage_ = 0;
}

// --- Column

Storage StorageOf(FieldType t) {
    switch (t) {
        case FieldType::Long:
        case FieldType::Currency:
        case FieldType::Boolean:
            return Storage::Number;
        case FieldType::Double:
        case FieldType::Date:
            return Storage::Real;
        case FieldType::Text:
            return Storage::Text;
        default:
            return Storage::Any;
    }
}

double Column::Real(std::uint32_t row) const {
    return std::bit_cast<double>(num_[row]);
}

std::string_view Column::Text(std::uint32_t row) const {
    const std::uint32_t s = txt_[row];
    if (s & kInline) {
        // inline bytes live in the low three bytes of the slot itself
        const char* p = reinterpret_cast<const char*>(&txt_[row]);
        return {p, (s >> 24) & 3u};
    }
    return pool_.Get(s);
}

Value Column::Get(std::uint32_t row) const {
    if (storage_ == Storage::Any) return row < any_.size() ? any_[row] : Value::Null();
    if (IsNull(row)) return Value::Null();
    switch (type_) {
        case FieldType::Long:
            return Value(static_cast<long long>(Whole(row)));
        case FieldType::Currency:
            return Value(Currency{Whole(row)});
        case FieldType::Boolean:
            return Value(Whole(row) != 0);
        case FieldType::Double:
            return Value(Real(row));
        case FieldType::Date:
            return Value(Date{Real(row)});
        case FieldType::Text:
            return Value(std::string(Text(row)));
        default:
            return Value::Null();
    }
}

bool Column::SumWhole(const std::vector<std::uint32_t>& rows, std::int64_t& sum) const {
    sum = 0;
    if (!materialised_) return true;
    const std::uint64_t* present = present_.data();
    auto isPresent = [present](std::uint32_t r) {
        return static_cast<std::uint32_t>(present[r >> 6] >> (r & 63)) & 1u;
    };
    if (narrow_) {
        // fewer than 2^32 rows of 32-bit values: the total cannot leave 64 bits
        std::int64_t total = 0;
        for (const std::uint32_t r : rows) {
            total += static_cast<std::int32_t>(num32_[r] & (0u - isPresent(r)));
        }
        sum = total;
        return true;
    }
    for (const std::uint32_t r : rows) {
        const auto v = static_cast<std::int64_t>(num_[r] & (std::uint64_t{0} - isPresent(r)));
        if (__builtin_add_overflow(sum, v, &sum)) return false;
    }
    return true;
}

void Column::Materialise() {
    materialised_ = true;
    present_.assign((static_cast<std::size_t>(rows_) + 63) / 64, 0);
    switch (storage_) {
        case Storage::Number:
            if (narrow_) {
                num32_.assign(rows_, 0);
            } else {
                num_.assign(rows_, 0);
            }
            break;
        case Storage::Real:
            num_.assign(rows_, 0);
            break;
        case Storage::Text:
            txt_.assign(rows_, kInline);
            break;
        case Storage::Any:
            any_.assign(rows_, Value::Null());
            break;
    }
}

void Column::MarkPresent(std::uint32_t row, bool on) {
    const std::uint64_t bit = std::uint64_t{1} << (row & 63);
    if (on) {
        present_[row >> 6] |= bit;
    } else {
        present_[row >> 6] &= ~bit;
    }
}

void Column::ReleaseSlot(std::uint32_t row) {
    if (storage_ == Storage::Text && !IsNull(row) && !(txt_[row] & kInline)) {
        pool_.Release(txt_[row]);
    }
}

void Column::Widen() {
    Segmented<std::uint64_t> wide;
    wide.reserve(num32_.size());
    for (std::size_t i = 0; i < num32_.size(); ++i) {
        wide.push_back(static_cast<std::uint64_t>(
            static_cast<std::int64_t>(static_cast<std::int32_t>(std::as_const(num32_)[i]))));
    }
    num_.swap(wide);
    num32_.clear();
    narrow_ = false;
}

void Column::StoreWhole(std::uint32_t row, std::int64_t n) {
    if (narrow_ && (n < INT32_MIN || n > INT32_MAX)) Widen();
    if (narrow_) {
        num32_[row] = static_cast<std::uint32_t>(static_cast<std::int32_t>(n));
    } else {
        num_[row] = static_cast<std::uint64_t>(n);
    }
}

void Column::StoreSlot(std::uint32_t row, const Value& v, bool fresh) {
    const bool null = v.isNothing();
    if (!fresh) ReleaseSlot(row);
    switch (storage_) {
        case Storage::Number: {
            std::int64_t n = 0;
            if (!null) {
                if (v.type() == Value::Type::Currency) {
                    n = v.currency().units;
                } else if (v.type() == Value::Type::Boolean) {
                    n = v.boolean() ? 1 : 0;
                } else {
                    n = v.whole();
                }
            }
            StoreWhole(row, n);
            break;
        }
        case Storage::Real: {
            double d = 0;
            if (!null) d = v.type() == Value::Type::Date ? v.date().serial : v.real();
            if (d == 0) d = 0;  // no negative zero: equal keys must have equal bits
            num_[row] = std::bit_cast<std::uint64_t>(d);
            break;
        }
        case Storage::Text: {
            std::uint32_t slot = kInline;
            if (!null) {
                const std::string& s = v.text();
                if (s.size() <= 3) {
                    char* p = reinterpret_cast<char*>(&slot);
                    slot = kInline | (static_cast<std::uint32_t>(s.size()) << 24);
                    std::copy(s.begin(), s.end(), p);
                } else {
                    slot = pool_.Add(s);
                }
            }
            txt_[row] = slot;
            break;
        }
        case Storage::Any:
            any_[row] = null ? Value::Null() : v;
            break;
    }
    MarkPresent(row, !null);
}

void Column::Append(const Value& v) {
    if (!materialised_) {
        if (v.isNothing()) {
            ++rows_;
            return;
        }
        Materialise();
    }
    const std::uint32_t row = rows_++;
    if ((row & 63) == 0) present_.push_back(0);
    switch (storage_) {
        case Storage::Number:
            if (narrow_) {
                num32_.push_back(0);
            } else {
                num_.push_back(0);
            }
            break;
        case Storage::Real:
            num_.push_back(0);
            break;
        case Storage::Text:
            txt_.push_back(kInline);
            break;
        case Storage::Any:
            any_.emplace_back(Value::Null());
            break;
    }
    StoreSlot(row, v, true);
}

void Column::Set(std::uint32_t row, const Value& v) {
    if (!materialised_) {
        if (v.isNothing()) return;
        Materialise();
    }
    StoreSlot(row, v, false);
    // rewrite the pool when most of it is garbage, so repeated edits cannot grow it without bound
    if (storage_ == Storage::Text && pool_.Garbage() > 4096 && pool_.Garbage() * 2 > pool_.Used()) {
        std::vector<std::uint32_t> same(rows_);
        for (std::uint32_t i = 0; i < rows_; ++i) same[i] = i;
        Compact(same, rows_);
    }
}

void Column::Reserve(std::uint32_t rows) {
    if (!materialised_) Materialise();
    present_.reserve((static_cast<std::size_t>(rows) + 63) / 64);
    if (storage_ == Storage::Any) any_.reserve(rows);
    if (storage_ == Storage::Text) txt_.reserve(rows);
    if (storage_ == Storage::Number && narrow_) num32_.reserve(rows);
    if ((storage_ == Storage::Number && !narrow_) || storage_ == Storage::Real) num_.reserve(rows);
}

void Column::Compact(const std::vector<std::uint32_t>& map, std::uint32_t newRows) {
    if (!materialised_) {
        rows_ = newRows;
        return;
    }
    std::vector<std::uint64_t> present((static_cast<std::size_t>(newRows) + 63) / 64, 0);
    auto keepPresent = [&](std::uint32_t from, std::uint32_t to) {
        if (!IsNull(from)) present[to >> 6] |= std::uint64_t{1} << (to & 63);
    };
    switch (storage_) {
        case Storage::Number:
            if (narrow_) {
                Segmented<std::uint32_t> num;
                num.reserve(newRows);
                for (std::uint32_t i = 0; i < rows_; ++i) {
                    if (map[i] == kNoRow) continue;
                    num.push_back(std::as_const(num32_)[i]);
                    keepPresent(i, map[i]);
                }
                num32_.swap(num);
                break;
            }
            [[fallthrough]];
        case Storage::Real: {
            // map is increasing over the kept rows: append in order
            Segmented<std::uint64_t> num;
            num.reserve(newRows);
            for (std::uint32_t i = 0; i < rows_; ++i) {
                if (map[i] == kNoRow) continue;
                num.push_back(std::as_const(num_)[i]);
                keepPresent(i, map[i]);
            }
            num_.swap(num);
            break;
        }
        case Storage::Text: {
            Segmented<std::uint32_t> txt;
            txt.reserve(newRows);
            TextPool pool;
            for (std::uint32_t i = 0; i < rows_; ++i) {
                if (map[i] == kNoRow) continue;
                const std::uint32_t s = std::as_const(txt_)[i];
                txt.push_back((IsNull(i) || (s & kInline)) ? s : pool.Add(pool_.Get(s)));
                keepPresent(i, map[i]);
            }
            txt_.swap(txt);
            pool_ = std::move(pool);
            break;
        }
        case Storage::Any: {
            std::vector<Value> any(newRows, Value::Null());
            for (std::uint32_t i = 0; i < rows_; ++i) {
                if (map[i] == kNoRow) continue;
                any[map[i]] = std::move(any_[i]);
                keepPresent(i, map[i]);
            }
            any_.swap(any);
            break;
        }
    }
    present_.swap(present);
    rows_ = newRows;
}

Column Column::CopyUnshared() const {
    Column copy(type_);
    copy.rows_ = rows_;
    copy.materialised_ = materialised_;
    copy.narrow_ = narrow_;
    copy.present_ = present_;
    copy.any_ = any_;
    copy.pool_ = pool_;
    copy.pool_.Seal();
    return copy;
}

Column Column::ShareWith() {
    pool_.Seal();
    Column copy = CopyUnshared();
    copy.num_ = num_.ShareWith();
    copy.num32_ = num32_.ShareWith();
    copy.txt_ = txt_.ShareWith();
    return copy;
}

Column Column::ShareFrozen() const {
    Column copy = CopyUnshared();
    copy.num_ = num_.ShareFrozen();
    copy.num32_ = num32_.ShareFrozen();
    copy.txt_ = txt_.ShareFrozen();
    return copy;
}

std::size_t Column::MemoryBytes() const {
    return present_.capacity() * 8 + num_.MemoryBytes() + num32_.MemoryBytes() +
           txt_.MemoryBytes() + any_.capacity() * sizeof(Value) + pool_.MemoryBytes();
}

// --- conversion to a field's type

bool HasFieldType(const Value& v, FieldType t) {
    switch (v.type()) {
        case Value::Type::Empty:
        case Value::Type::Null:
            return true;
        case Value::Type::Text:
            return t == FieldType::Text || t == FieldType::Variant;
        case Value::Type::Long:
            return t == FieldType::Long || t == FieldType::Variant;
        case Value::Type::Double:
            return t == FieldType::Double || t == FieldType::Variant;
        case Value::Type::Currency:
            return t == FieldType::Currency || t == FieldType::Variant;
        case Value::Type::Date:
            return t == FieldType::Date || t == FieldType::Variant;
        case Value::Type::Boolean:
            return t == FieldType::Boolean || t == FieldType::Variant;
        case Value::Type::Bytes:
            return t == FieldType::Bytes || t == FieldType::Variant;
    }
    return false;
}

Value ConvertForField(const Value& v, const FieldDef& field) {
    if (v.isNothing()) return Value::Null();
    const Value::Type t = v.type();
    try {
        switch (field.type) {
            case FieldType::Text:
                if (t == Value::Type::Text) return v;
                if (t == Value::Type::Bytes) break;
                return Value(TextOf(v));
            case FieldType::Long:
                if (t == Value::Type::Long) return v;
                if (t == Value::Type::Boolean) return Value(v.boolean() ? -1 : 0);
                if (t == Value::Type::Bytes) break;
                return Value(static_cast<long long>(CLng(v)));
            case FieldType::Double:
                if (t == Value::Type::Double) return v;
                if (t == Value::Type::Bytes) break;
                return Value(CDbl(v));
            case FieldType::Currency:
                if (t == Value::Type::Currency) return v;
                if (t == Value::Type::Bytes) break;
                return Value(CCur(v));
            case FieldType::Date:
                if (t == Value::Type::Date) return v;
                if (t == Value::Type::Bytes) break;
                return Value(CDate(v));
            case FieldType::Boolean:
                if (t == Value::Type::Boolean) return v;
                if (t == Value::Type::Bytes) break;
                return Value(CBool(v));
            case FieldType::Bytes:
                if (t == Value::Type::Bytes) return v;
                break;
            case FieldType::Variant:
                return v;
        }
    } catch (const Error& e) {
        throw Error(err::DataConversion,
                    "Field '" + field.name + "' cannot hold the value given: " + e.Description());
    }
    throw Error(err::DataConversion, "Field '" + field.name + "' cannot hold a value of that kind");
}

}  // namespace records
