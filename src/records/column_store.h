#pragma once
// Typed column storage of the row store. Numbers, currency and dates sit in 8-byte slots (whole
// numbers and currency in 4-byte slots while every value fits in 32 bits); texts
// in 4-byte slots (up to 3 bytes inline, longer ones in a chunked pool); a bitmap marks the
// non-null cells. A column that never held a value allocates nothing.
//
// Columns can be copied by sharing: the copy and the original point at the same slot segments
// and text chunks, and whichever writes to a shared segment first copies that segment alone.
// Text chunks are never written once shared: both sides put new texts into chunks of their own.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/huge_pages.h"
#include "records/recordset.h"
#include "records/value.h"

namespace records {

// Bytes of the length prefix in front of a pooled text (seven bits a byte, as in a saved image).
inline std::size_t VarintSize(std::size_t n) {
    std::size_t k = 1;
    while (n >= 0x80) {
        n >>= 7;
        ++k;
    }
    return k;
}

// Texts of one column, each stored once with a length prefix. Chunks grow up to 64 KiB so a small
// record set stays small and a large one wastes at most one chunk.
class TextPool {
  public:
    std::uint32_t Add(std::string_view s);  // a reference below 2^31
    std::string_view Get(std::uint32_t ref) const;
    // Where a text's bytes (its length first) are, for reading ahead.
    const char* At(std::uint32_t ref) const { return chunks_[ref >> 16].data + (ref & 0xFFFFu); }
    void Release(std::uint32_t ref) { garbage_ += Get(ref).size() + 1; }
    std::size_t Garbage() const { return garbage_; }
    std::size_t Used() const { return used_; }
    std::size_t MemoryBytes() const;
    void Clear();

  private:
    friend class ImageReader;
    friend class ImageWriter;
    friend class Column;
    // Later texts go into a chunk of their own, so the chunks so far can be shared.
    void Seal() {
        if (!chunks_.empty()) chunks_.back().capacity = chunks_.back().size;
    }
    struct Chunk {
        char* data = nullptr;  // in one of blocks_
        std::uint32_t capacity = 0;
        std::uint32_t size = 0;
    };
    std::vector<Chunk> chunks_;
    std::vector<std::shared_ptr<char[]>> blocks_;  // a chunk each, or many loaded from an image
    std::size_t used_ = 0;
    std::size_t garbage_ = 0;
};

// A vector in fixed segments of 4K entries, so appending never copies what is there and never
// holds more than one segment unused; the first segment grows like a vector, for small sets.
template <class T>
class Segmented {
  public:
    static constexpr unsigned kShift = 12;
    static constexpr std::size_t kSegment = std::size_t{1} << kShift;

    // Writing access: a segment shared with a copy is made this store's own first.
    T& operator[](std::size_t i) {
        if (!shared_.empty()) Own(i >> kShift);
        return segs_[i >> kShift][i & (kSegment - 1)];
    }
    const T& operator[](std::size_t i) const { return segs_[i >> kShift][i & (kSegment - 1)]; }

    // A copy sharing every segment but the first (which is small and copied); both sides copy a
    // shared segment before they write to it.
    Segmented ShareWith() {
        Segmented copy = ShareFrozen();
        shared_ = copy.shared_;
        return copy;
    }
    // The same for a store that nobody writes to any more: only the copy needs to know.
    Segmented ShareFrozen() const {
        Segmented copy;
        copy.first_ = first_;
        copy.rest_ = rest_;
        copy.segs_ = segs_;
        if (!copy.segs_.empty()) copy.segs_[0] = copy.first_.data();
        copy.size_ = size_;
        copy.restEntries_ = restEntries_;
        copy.shared_.assign(segs_.size(), 1);
        if (!copy.shared_.empty()) copy.shared_[0] = 0;
        return copy;
    }
    std::size_t size() const { return size_; }

    void push_back(const T& v) {
        if (size_ < kSegment) {
            if (first_.size() == first_.capacity()) {
                first_.reserve(
                    std::min(kSegment, std::max<std::size_t>(16, first_.capacity() * 2)));
            }
            first_.push_back(v);
            if (segs_.empty()) segs_.push_back(nullptr);
            segs_[0] = first_.data();
        } else {
            if ((size_ & (kSegment - 1)) == 0) {
                rest_.emplace_back(new T[kSegment]);
                restEntries_ += kSegment;
                segs_.push_back(rest_.back().get());
                if (!shared_.empty()) shared_.push_back(0);
            }
            if (!shared_.empty()) Own(segs_.size() - 1);
            segs_.back()[size_ & (kSegment - 1)] = v;
        }
        ++size_;
    }
    void assign(std::size_t n, const T& v) {
        clear();
        reserve(n);
        for (std::size_t i = 0; i < n; ++i) push_back(v);
    }
    void reserve(std::size_t n) {
        if (size_ == 0 && first_.capacity() < std::min(n, kSegment)) {
            first_.reserve(std::min(n, kSegment));
        }
    }
    void clear() {
        first_.clear();
        first_.shrink_to_fit();
        rest_.clear();
        restEntries_ = 0;
        segs_.clear();
        shared_.clear();
        size_ = 0;
    }
    // Appends n entries copied from src (which need not be aligned): the first segment as
    // push_back fills it, all further whole segments in one block with a single copy.
    void AppendRaw(const void* src, std::size_t n) {
        const auto* from = static_cast<const unsigned char*>(src);
        auto take = [&](T* to, std::size_t k) {
            std::memcpy(to, from, k * sizeof(T));
            from += k * sizeof(T);
            n -= k;
            size_ += k;
        };
        if (n > 0 && size_ < kSegment) {
            const std::size_t k = std::min(n, kSegment - size_);
            first_.reserve(size_ + k);
            first_.resize(size_ + k);  // trivially copyable entries: overwritten next
            if (segs_.empty()) segs_.push_back(nullptr);
            segs_[0] = first_.data();
            take(first_.data() + size_, k);
        }
        if (n > 0 && (size_ & (kSegment - 1)) != 0) {
            const std::size_t off = size_ & (kSegment - 1);
            if (!shared_.empty()) Own(segs_.size() - 1);
            take(segs_.back() + off, std::min(n, kSegment - off));
        }
        if (n == 0) return;
        const std::size_t segments = (n + kSegment - 1) / kSegment;
        const std::size_t count = segments * kSegment;
        rest_.emplace_back(new T[count + HugePageSpare<T>(count)]);
        restEntries_ += count;
        T* block = HugePageStart(rest_.back().get(), count);
        for (std::size_t k = 0; k < segments; ++k) segs_.push_back(block + k * kSegment);
        if (!shared_.empty()) shared_.resize(segs_.size(), 0);
        take(block, n);
    }
    // Appends n entries that stay where they are (src, aligned for T, kept alive by owner)
    // instead of being copied: the first segment is copied as AppendRaw copies it, the whole
    // segments after it are shared and copied only before their first write. For an empty
    // vector.
    template <class Owner>
    void Adopt(const T* src, std::size_t n, const Owner& owner) {
        const std::size_t head = std::min(n, kSegment);
        AppendRaw(src, head);
        if (n == head) return;
        T* block = const_cast<T*>(src + head);  // never written: each segment is shared
        rest_.emplace_back(owner, block);
        const std::size_t first = segs_.size();
        for (std::size_t at = 0; at < n - head; at += kSegment) segs_.push_back(block + at);
        shared_.resize(segs_.size(), 0);
        std::fill(shared_.begin() + static_cast<std::ptrdiff_t>(first), shared_.end(), 1);
        size_ += n - head;
        restEntries_ += n - head;
    }
    // Calls f(T* run, count) for each stretch of consecutive entries, in order.
    template <class F>
    void ForEachRun(F&& f) {
        for (std::size_t at = 0; at < size_; at += kSegment) {
            if (!shared_.empty()) Own(at >> kShift);
            f(segs_[at >> kShift], std::min(kSegment, size_ - at));
        }
    }
    template <class F>
    void ForEachRun(F&& f) const {
        for (std::size_t at = 0; at < size_; at += kSegment) {
            f(static_cast<const T*>(segs_[at >> kShift]), std::min(kSegment, size_ - at));
        }
    }
    void swap(Segmented& o) noexcept {
        first_.swap(o.first_);
        rest_.swap(o.rest_);
        segs_.swap(o.segs_);
        shared_.swap(o.shared_);
        std::swap(size_, o.size_);
        std::swap(restEntries_, o.restEntries_);
    }
    std::size_t MemoryBytes() const {
        return first_.capacity() * sizeof(T) + restEntries_ * sizeof(T) +
               segs_.capacity() * sizeof(T*) + rest_.capacity() * sizeof(void*);
    }

  private:
    // Gives segment s a block of its own when it is shared.
    void Own(std::size_t s) {
        if (!shared_[s]) return;
        std::shared_ptr<T[]> own(new T[kSegment]);
        // the entries in use only: an adopted last segment ends where its source ends
        const std::size_t used = std::min(kSegment, size_ - (s << kShift));
        std::memcpy(own.get(), segs_[s], used * sizeof(T));
        segs_[s] = own.get();
        rest_.push_back(std::move(own));
        restEntries_ += kSegment;
        shared_[s] = 0;
    }

    std::vector<T> first_;
    std::vector<std::shared_ptr<T[]>> rest_;  // blocks, some perhaps shared with copies
    std::vector<T*> segs_;
    std::vector<std::uint8_t> shared_;  // per segment, 1 while shared; empty: nothing shared
    std::size_t size_ = 0;
    std::size_t restEntries_ = 0;  // entries allocated in rest_ (blocks may hold many segments)
};

// How a column keeps its cells.
enum class Storage : std::uint8_t { Number, Real, Text, Any };
Storage StorageOf(FieldType t);

class Column {
  public:
    explicit Column(FieldType type)
        : type_(type), storage_(StorageOf(type)), narrow_(storage_ == Storage::Number) {}

    FieldType Type() const { return type_; }
    Storage Kind() const { return storage_; }
    std::uint32_t Rows() const { return rows_; }

    bool IsNull(std::uint32_t row) const {
        return present_.empty() || !((present_[row >> 6] >> (row & 63)) & 1u);
    }
    // Typed access; the caller has checked IsNull and Kind.
    std::int64_t Whole(std::uint32_t row) const {
        return narrow_ ? static_cast<std::int32_t>(num32_[row])
                       : static_cast<std::int64_t>(num_[row]);
    }
    // Asks for the cache line of a row's slot ahead of a read in another order than storage.
    void Prefetch(std::uint32_t row) const {
        if (!materialised_ || storage_ == Storage::Any) return;
        if (storage_ == Storage::Text) {
            __builtin_prefetch(&txt_[row]);
        } else if (narrow_) {
            __builtin_prefetch(&num32_[row]);
        } else {
            __builtin_prefetch(&num_[row]);
        }
    }
    double Real(std::uint32_t row) const;
    std::string_view Text(std::uint32_t row) const;
    const Value& Any(std::uint32_t row) const { return any_[row]; }

    // The sum of the whole numbers (or currency units) in the given rows, Null cells adding
    // nothing; false when it leaves the 64-bit range. For a column of Number storage.
    bool SumWhole(const std::vector<std::uint32_t>& rows, std::int64_t& sum) const;

    // `v` has already been converted to the column's type (or is Null/Empty).
    Value Get(std::uint32_t row) const;
    void Append(const Value& v);
    void Set(std::uint32_t row, const Value& v);

    // Keeps the rows whose map entry is not kNoRow, in order (map[old] = new index).
    void Compact(const std::vector<std::uint32_t>& map, std::uint32_t newRows);
    std::size_t MemoryBytes() const;
    // At least what the column's texts take with their length prefixes, for sizing an image.
    std::size_t TextBytesBound() const {
        return pool_.Used() + 4 * static_cast<std::size_t>(rows_);
    }
    void Reserve(std::uint32_t rows);  // allocates the slots even while every cell is Null

    // A copy sharing the slots and texts (see the top of this file). ShareWith marks this
    // column's storage as shared too; ShareFrozen is for a column nobody writes to any more.
    Column ShareWith();
    Column ShareFrozen() const;

    // Raw slot access (Number/Real: bit patterns).
    std::uint64_t Bits(std::uint32_t row) const {
        return narrow_ ? static_cast<std::uint64_t>(Whole(row)) : num_[row];
    }

    static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;

  private:
    // Images copy the slots, bitmaps and text pools in bulk.
    friend class ImageReader;
    friend class ImageWriter;
    void Materialise();  // first non-null value: allocate slots for the rows so far
    void MarkPresent(std::uint32_t row, bool on);
    void StoreSlot(std::uint32_t row, const Value& v, bool fresh);
    void ReleaseSlot(std::uint32_t row);
    void StoreWhole(std::uint32_t row, std::int64_t n);
    void Widen();                 // a whole number beyond 32 bits: every slot becomes 64-bit
    Column CopyUnshared() const;  // everything but the shared slot segments

    FieldType type_;
    Storage storage_;
    std::uint32_t rows_ = 0;
    bool materialised_ = false;
    // Whole numbers sit in 32-bit slots while every value fits (most amounts, counts and
    // numbers do), in 64-bit slots from the first that does not.
    bool narrow_ = false;
    std::vector<std::uint64_t> present_;
    Segmented<std::uint64_t> num_;    // Number (wide): int64, Real: double bits
    Segmented<std::uint32_t> num32_;  // Number (narrow): int32
    Segmented<std::uint32_t> txt_;    // inline (bit 31 set) or pool reference
    std::vector<Value> any_;
    TextPool pool_;
};

// Whether a value is of a field's own type (Null and Empty fit every field), so that
// ConvertForField gives it back unchanged.
bool HasFieldType(const Value& v, FieldType t);

// The value converted to a field's type, as Set stores it. Null and Empty become Null.
// Unconvertible values are error 3421 naming the field.
Value ConvertForField(const Value& v, const FieldDef& field);

}  // namespace records
