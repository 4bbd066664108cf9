// Reading record-set images, and the record set's Open(Stream&).
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "records/errors.h"
#include "records/huge_pages.h"
#include "records/image.h"
#include "records/recordset_view.h"
#include "records/stream.h"
#include "records/text_util.h"
#include "records/value_codec.h"

namespace records {

namespace {

static_assert(std::endian::native == std::endian::little,
              "images are copied into the columns in bulk: the host must be little-endian");

constexpr std::uint32_t kInlineSlot = 0x80000000u;  // an inline text slot (column_store)
constexpr std::uint32_t kMaxTextChunks = 1u << 15;  // what a text reference can name

[[noreturn]] void Bad(const std::string& why) {
    throw Error(err::BadImage, "The record-set image cannot be read: " + why + ".");
}

// Bounds-checked little-endian reading of the payload.
class In {
  public:
    In(const std::uint8_t* p, std::size_t n) : p_(p), end_(p + n) {}
    std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
    const std::uint8_t* Here() const { return p_; }
    const std::uint8_t* Take(std::size_t n, const char* what) {
        if (n > Left()) Bad(std::string("it is truncated in ") + what);
        const std::uint8_t* at = p_;
        p_ += n;
        return at;
    }
    std::uint64_t Le(int n, const char* what) {
        const std::uint8_t* p = Take(static_cast<std::size_t>(n), what);
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
        return v;
    }
    std::uint8_t U8(const char* what) { return static_cast<std::uint8_t>(Le(1, what)); }
    std::uint32_t U32(const char* what) { return static_cast<std::uint32_t>(Le(4, what)); }
    std::uint64_t U64(const char* what) { return Le(8, what); }
    std::size_t Varint(const char* what) {
        std::size_t n = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            const std::uint8_t b = U8(what);
            n |= static_cast<std::size_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) return n;
        }
        Bad(std::string("a length is malformed in ") + what);
    }
    Value Val(const char* what) {
        ByteReader r(p_, Left());
        Value v = r.Val(what);
        p_ = r.Here();
        return v;
    }

  private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

// Sizes an empty vector, asking for huge pages before its memory is first touched.
template <class V>
void SizeFresh(V& v, std::size_t n) {
    v.reserve(n);
    AdviseHugePages(v.data(), n * sizeof(v[0]));
    v.resize(n);
}

// What the Null cells of a block of slots hold, or-ed together after subtracting the value they
// must hold: visits the cells that the presence bitmap leaves out, and no others.
template <class T>
T NullCellsBesides(const Segmented<T>& slots, const std::vector<std::uint64_t>& present,
                   std::uint32_t rows, T empty) {
    T stray = 0;
    for (std::size_t w = 0; w < present.size(); ++w) {
        std::uint64_t nulls = ~present[w];
        if (w + 1 == present.size() && (rows & 63) != 0) {
            nulls &= (std::uint64_t{1} << (rows & 63)) - 1;
        }
        if (nulls == 0) continue;
        const T* run = &slots[w * 64];  // 64 rows never straddle a segment
        for (; nulls != 0; nulls &= nulls - 1) stray |= run[std::countr_zero(nulls)] ^ empty;
    }
    return stray;
}

// What the 64 slots under a bitmap word of a text column hold, a bit per slot: a reference to a
// pooled text, an inline text with bits out of place, anything but the empty inline slot (what
// a Null cell holds).
struct TextSlotBits {
    std::uint64_t pooled = 0;
    std::uint64_t badInline = 0;
    std::uint64_t notEmpty = 0;
};

// For the first k slots (k <= 64); the others count as the empty inline slot.
TextSlotBits ClassifyTextSlots(const std::uint32_t* run, std::size_t k) {
    TextSlotBits b;
    for (std::size_t j = 0; j < k; ++j) {
        const std::uint32_t s = run[j];
        const std::uint32_t len = (s >> 24) & 3u;
        const std::uint32_t keep = kInlineSlot | (len << 24) | ((1u << (8 * len)) - 1);
        const std::uint64_t isInline = s >> 31;
        b.pooled |= (isInline ^ 1u) << j;
        b.badInline |= (isInline & static_cast<std::uint64_t>((s & ~keep) != 0)) << j;
        b.notEmpty |= static_cast<std::uint64_t>(s != kInlineSlot) << j;
    }
    return b;
}

#if defined(__SSE2__)
// The same for 64 slots, four at a time: an inline slot is well formed when its top byte is
// 0x80 + its length and the bytes past its length are zero.
TextSlotBits ClassifyTextSlots64(const std::uint32_t* run) {
    const __m128i top = _mm_set1_epi32(0x7F000000), low = _mm_set1_epi32(0x00FFFFFF);
    const __m128i len1 = _mm_set1_epi32(0x01000000), len2 = _mm_set1_epi32(0x02000000);
    const __m128i len3 = _mm_set1_epi32(0x03000000), zero = _mm_setzero_si128();
    const __m128i below1 = _mm_set1_epi32(0x100), below2 = _mm_set1_epi32(0x10000);
    const __m128i empty = _mm_set1_epi32(static_cast<int>(kInlineSlot));
    auto bitsOf = [](__m128i lanes) {  // the lanes' top bits, lane 0 lowest
        return static_cast<std::uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(lanes)));
    };
    TextSlotBits b;
    for (unsigned j = 0; j < 64; j += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run + j));
        const __m128i t = _mm_and_si128(s, top), lo = _mm_and_si128(s, low);
        const __m128i ok = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi32(t, zero), _mm_cmpeq_epi32(lo, zero)),
                         _mm_and_si128(_mm_cmpeq_epi32(t, len1), _mm_cmplt_epi32(lo, below1))),
            _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi32(t, len2), _mm_cmplt_epi32(lo, below2)),
                         _mm_cmpeq_epi32(t, len3)));
        const std::uint64_t isInline = bitsOf(s);
        b.pooled |= (~isInline & 15u) << j;
        b.badInline |= (isInline & ~bitsOf(ok) & 15u) << j;
        b.notEmpty |= (~bitsOf(_mm_cmpeq_epi32(s, empty)) & 15u) << j;
    }
    return b;
}
#else
TextSlotBits ClassifyTextSlots64(const std::uint32_t* run) {
    return ClassifyTextSlots(run, 64);
}
#endif

}  // namespace

// Where an image's bytes are and whether the store may keep its blocks there.
struct ImageSource {
    std::uint16_t major = kImageMajor;
    const std::uint8_t* start = nullptr;  // the image's first byte
    const ImageOwner* owner = nullptr;    // keeps the bytes alive; null: copy the blocks

    // Version 3 blocks are kept where they are when they are aligned for their entries.
    bool Keeps(const void* block, std::size_t align) const {
        return owner != nullptr && *owner != nullptr &&
               reinterpret_cast<std::uintptr_t>(block) % align == 0;
    }
};

// Builds a row store from a payload; a friend of RowStore.
class ImageReader {
  public:
    static std::shared_ptr<RowStore> Payload(In& in, std::uint16_t minor, const ImageSource& src);

  private:
    static void ReadColumn(In& in, records::Column& col, const FieldDef& f, std::uint32_t rows,
                           const ImageSource& src);
    static void ReadTexts(In& in, records::Column& col, const std::string& where,
                          std::uint32_t rows, const ImageSource& src);
    // The slot blocks into a segmented column: kept where they are, or copied.
    template <class T>
    static void TakeSlots(In& in, Segmented<T>& to, std::uint32_t rows, const char* at,
                          const ImageSource& src) {
        const std::uint8_t* p = in.Take(sizeof(T) * static_cast<std::size_t>(rows), at);
        if (src.major >= 3 && src.Keeps(p, alignof(T))) {
            to.Adopt(reinterpret_cast<const T*>(p), rows, *src.owner);
        } else {
            to.AppendRaw(p, rows);
        }
    }
};

void ImageReader::ReadColumn(In& in, records::Column& col, const FieldDef& f, std::uint32_t rows,
                             const ImageSource& src) {
    const std::string where = "field '" + f.name + "'";
    const char* at = where.c_str();
    const auto enc = static_cast<ImageColumn>(in.U8(at));
    const Storage kind = col.Kind();
    const bool known =
        enc == ImageColumn::AllNull ||
        (kind == Storage::Number && (enc == ImageColumn::Whole32 || enc == ImageColumn::Bits64)) ||
        (kind == Storage::Real && enc == ImageColumn::Bits64) ||
        (kind == Storage::Text && enc == ImageColumn::Texts) ||
        (kind == Storage::Any && enc == ImageColumn::Tagged);
    if (!known) Bad("the encoding of " + where + " is unknown");
    col.rows_ = rows;  // a column that never held a value keeps nothing but its row count
    if (enc == ImageColumn::AllNull) return;
    const bool v3 = src.major >= 3;
    if (v3) {  // zeros up to an offset aligned for the blocks
        const auto offset = static_cast<std::size_t>(in.Here() - src.start);
        const std::uint8_t* pad = in.Take((8 - offset % 8) % 8, at);
        for (std::size_t k = 0; k < (8 - offset % 8) % 8; ++k) {
            if (pad[k] != 0) Bad("the blocks of " + where + " are misplaced");
        }
    }

    const std::size_t words = (static_cast<std::size_t>(rows) + 63) / 64;
    if (words > in.Left() / 8) Bad("it is truncated in " + where);
    col.materialised_ = true;
    col.present_.resize(words);
    const std::uint8_t* bits = in.Take(8 * words, at);
    if (words > 0) std::memcpy(col.present_.data(), bits, 8 * words);  // none for no rows
    if (rows & 63) col.present_.back() &= (std::uint64_t{1} << (rows & 63)) - 1;
    const std::uint64_t* present = col.present_.data();
    auto isPresent = [present](std::size_t i) { return ((present[i >> 6] >> (i & 63)) & 1u) != 0; };
    const bool boolean = f.type == FieldType::Boolean;

    switch (enc) {
        case ImageColumn::Whole32: {
            if (rows > in.Left() / 4) Bad("it is truncated in " + where);
            col.narrow_ = true;
            TakeSlots(in, col.num32_, rows, at, src);
            // Null cells hold 0 (version 2: made so); without branches, so the loop runs a
            // word at a time
            std::size_t i = 0;
            std::uint32_t above = 0;  // any Boolean above 1
            std::uint32_t stray = 0;  // any bit in a Null cell
            if (v3) {                 // checked where they are: only the Null cells, and Booleans
                stray = NullCellsBesides<std::uint32_t>(col.num32_, col.present_, rows, 0);
                if (boolean) {
                    std::as_const(col.num32_)
                        .ForEachRun([&](const std::uint32_t* run, std::size_t k) {
                            for (std::size_t j = 0; j < k; ++j) above |= run[j] >> 1;
                        });
                }
            } else {
                col.num32_.ForEachRun([&](std::uint32_t* run, std::size_t k) {
                    for (std::size_t j = 0; j < k; ++j, ++i) {
                        run[j] &= 0u - static_cast<std::uint32_t>(isPresent(i));
                        above |= run[j] >> 1;
                    }
                });
            }
            if (stray) Bad(where + " holds a value in a Null cell");
            if (boolean && above) Bad(where + " holds a bad Boolean");
            break;
        }
        case ImageColumn::Bits64: {
            if (rows > in.Left() / 8) Bad("it is truncated in " + where);
            col.narrow_ = false;
            TakeSlots(in, col.num_, rows, at, src);
            const bool real = kind == Storage::Real;
            constexpr std::uint64_t kMinusZero = std::uint64_t{1} << 63;
            std::size_t i = 0;
            std::uint64_t above = 0;
            std::uint64_t stray = 0;  // any bit in a Null cell, or a negative zero
            if (v3) {  // checked where they are: the Null cells, and reals or Booleans
                stray = NullCellsBesides<std::uint64_t>(col.num_, col.present_, rows, 0);
                if (real || boolean) {
                    std::as_const(col.num_).ForEachRun(
                        [&](const std::uint64_t* run, std::size_t k) {
                            for (std::size_t j = 0; j < k; ++j) {
                                stray |= static_cast<std::uint64_t>(real && run[j] == kMinusZero);
                                above |= run[j] >> 1;
                            }
                        });
                }
            } else {
                col.num_.ForEachRun([&](std::uint64_t* run, std::size_t k) {
                    for (std::size_t j = 0; j < k; ++j, ++i) {
                        // no negative zero, as the column keeps it
                        const bool keep = isPresent(i) && !(real && run[j] == kMinusZero);
                        run[j] &= std::uint64_t{0} - static_cast<std::uint64_t>(keep);
                        above |= run[j] >> 1;
                    }
                });
            }
            if (stray) Bad(where + " holds a value in a Null cell");
            if (boolean && above) Bad(where + " holds a bad Boolean");
            break;
        }
        case ImageColumn::Texts:
            ReadTexts(in, col, where, rows, src);
            break;
        case ImageColumn::Tagged: {
            const std::uint64_t len = in.U64(at);
            if (len > in.Left()) Bad("it is truncated in " + where);
            In values(in.Take(static_cast<std::size_t>(len), at), static_cast<std::size_t>(len));
            col.any_.reserve(rows);
            for (std::uint32_t i = 0; i < rows; ++i) {
                if (!isPresent(i)) {
                    col.any_.emplace_back(Value::Null());
                    continue;
                }
                Value v = values.Val(at);
                if (!HasFieldType(v, f.type)) Bad(where + " holds a value of the wrong kind");
                if (v.isNothing()) {
                    col.present_[i >> 6] &= ~(std::uint64_t{1} << (i & 63));
                    v = Value::Null();
                }
                col.any_.push_back(std::move(v));
            }
            if (values.Left() != 0) Bad(where + " holds more values than present cells");
            break;
        }
        case ImageColumn::AllNull:
            break;
    }
}

void ImageReader::ReadTexts(In& in, records::Column& col, const std::string& where,
                            std::uint32_t rows, const ImageSource& src) {
    const char* at = where.c_str();
    if (rows > in.Left() / 4) Bad("it is truncated in " + where);
    TakeSlots(in, col.txt_, rows, at, src);
    const std::uint32_t count = in.U32(at);
    if (count > kMaxTextChunks || count > in.Left() / 4)
        Bad("the texts of " + where + " are malformed");
    const std::uint8_t* sizes = in.Take(4 * static_cast<std::size_t>(count), at);
    TextPool& pool = col.pool_;
    pool.chunks_.resize(count);
    std::size_t used = 0;
    for (std::uint32_t c = 0; c < count; ++c) {
        std::uint32_t size;
        std::memcpy(&size, sizes + 4 * static_cast<std::size_t>(c), 4);
        if (size > in.Left() - used) Bad("it is truncated in " + where);
        pool.chunks_[c].capacity = pool.chunks_[c].size = size;  // full: later texts go elsewhere
        used += size;
    }
    // the chunks in one block, kept where they are (never written: full chunks take no more
    // texts) or copied at once
    const std::uint8_t* bytes = in.Take(used, at);
    char* block = nullptr;
    if (src.major >= 3 && src.Keeps(bytes, 1)) {
        block = const_cast<char*>(reinterpret_cast<const char*>(bytes));
        pool.blocks_.emplace_back(*src.owner, block);
    } else {
        pool.blocks_.emplace_back(new char[used + 1 + HugePageSpare<char>(used)]);
        block = HugePageStart(pool.blocks_.back().get(), used);
        if (used) std::memcpy(block, bytes, used);
    }
    for (std::size_t c = 0, from = 0; c < count; from += pool.chunks_[c].size, ++c) {
        pool.chunks_[c].data = block + from;
    }
    // every slot of a present cell must be a well-formed inline text or name a whole text of
    // more than three bytes in the pool, and (version 3) a Null cell's slot the empty inline
    // slot
    const std::uint64_t* present = col.present_.data();
    const TextPool::Chunk* chunks = pool.chunks_.data();
    std::size_t referenced = 0;
    bool bad = false;
    auto checkPooled = [&](std::uint32_t s) {
        const std::uint32_t c = s >> 16, off = s & 0xFFFFu;
        if (c >= count || off >= chunks[c].size) {
            bad = true;
            return;
        }
        const auto* p = reinterpret_cast<const std::uint8_t*>(chunks[c].data) + off;
        const std::size_t left = chunks[c].size - off;
        std::size_t n = p[0], v = 1;
        if (n & 0x80) {  // a length of more than one byte
            n &= 0x7F;
            for (int shift = 7;; shift += 7) {
                if (v >= left || shift > 28) {
                    bad = true;
                    return;
                }
                const std::uint8_t b = p[v++];
                n |= static_cast<std::size_t>(b & 0x7F) << shift;
                if (!(b & 0x80)) break;
            }
        }
        bad |= n <= 3 || n > left - v;
        referenced += v + n;
    };
    // 64 rows (one bitmap word, never straddling a segment) at a time: the kind of every slot
    // first, without a branch (a column mixes inline and pooled texts at random), then the
    // pooled texts of the present cells
    const bool v3 = src.major >= 3;
    std::uint64_t stray = 0;  // malformed inline texts, and (version 3) Null cells not empty
    for (std::size_t w = 0; w < col.present_.size(); ++w) {
        const std::uint64_t bits = present[w];  // no bits past the last row
        if (bits == 0 && !v3) continue;         // version 2: Null cells are made so below
        const std::uint32_t* run = &std::as_const(col.txt_)[w * 64];
        if (bits == ~std::uint64_t{0}) {  // 64 present cells: are they all pooled texts?
            std::uint32_t any = 0;
            for (std::size_t j = 0; j < 64; ++j) any |= run[j];
            if (!(any & kInlineSlot)) {
                for (std::size_t j = 0; j < 64; ++j) checkPooled(run[j]);
                continue;
            }
        }
        const std::size_t k = std::min<std::size_t>(64, rows - w * 64);
        const TextSlotBits kinds = k == 64 ? ClassifyTextSlots64(run) : ClassifyTextSlots(run, k);
        stray |= (kinds.badInline & bits) | (v3 ? kinds.notEmpty & ~bits : 0);
        for (std::uint64_t pooled = kinds.pooled & bits; pooled != 0; pooled &= pooled - 1) {
            checkPooled(run[std::countr_zero(pooled)]);
        }
    }
    bad |= stray != 0;
    if (bad) Bad(where + " holds a malformed text");
    if (!v3) {
        col.txt_.ForEachRun([&, row = std::size_t{0}](std::uint32_t* run, std::size_t k) mutable {
            for (std::size_t j = 0; j < k; ++j, ++row) {
                const std::uint32_t keep = 0u - ((present[row >> 6] >> (row & 63)) & 1u);
                run[j] = (run[j] & keep) | (kInlineSlot & ~keep);
            }
        });
    }
    pool.used_ = used;
    pool.garbage_ = used > referenced ? used - referenced : 0;
}

std::shared_ptr<RowStore> ImageReader::Payload(In& in, std::uint16_t minor,
                                               const ImageSource& src) {
    const std::uint32_t fieldCount = in.U32("the field count");
    if (fieldCount > in.Left() / 9)
        Bad("the field count " + std::to_string(fieldCount) + " is too large");
    std::vector<FieldDef> fields;
    for (std::uint32_t i = 0; i < fieldCount; ++i) {
        FieldDef f;
        const std::uint32_t len = in.U32("a field name");
        const std::uint8_t* p = in.Take(len, "a field name");
        f.name.assign(reinterpret_cast<const char*>(p), len);
        const std::uint8_t type = in.U8("a field type");
        if (type > static_cast<std::uint8_t>(FieldType::Variant)) {
            Bad("field '" + f.name + "' has the unknown type " + std::to_string(type));
        }
        f.type = static_cast<FieldType>(type);
        const std::uint32_t size = in.U32("a field size");
        if (size > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
            Bad("field '" + f.name + "' has a bad size");
        }
        f.size = static_cast<int>(size);
        if (f.name.empty()) Bad("field " + std::to_string(i + 1) + " has no name");
        if (f.name.find(']') != std::string::npos)
            Bad("the field name '" + f.name + "' holds a ']'");
        for (const auto& g : fields) {
            if (EqualsIgnoreCase(g.name, f.name)) Bad("the field '" + f.name + "' appears twice");
        }
        fields.push_back(std::move(f));
    }
    auto store = std::make_shared<RowStore>(fields);
    RowStore& s = *store;

    const std::uint32_t rows = in.U32("the row count");
    const std::uint64_t next = in.U64("the next bookmark");
    if (next < 1 || next >= std::numeric_limits<std::uint32_t>::max()) {
        Bad("the next bookmark " + std::to_string(next) + " is out of range");
    }
    s.nextBookmark_ = static_cast<Bookmark>(next);
    // every row has at least its status byte, so the count cannot outrun the bytes
    if (rows > in.Left()) Bad("the row count " + std::to_string(rows) + " is too large");

    const std::uint8_t mode = in.U8("the bookmarks");
    if (mode == 0) {
        const std::uint32_t first = in.U32("the bookmarks");
        if (first < 1 || static_cast<std::uint64_t>(first) + rows > next) {
            Bad("the bookmarks are out of range");
        }
        if (first != 1) {
            SizeFresh(s.bookmarks_, rows);
            for (std::uint32_t i = 0; i < rows; ++i) s.bookmarks_[i] = first + i;
        }
    } else if (mode == 1) {
        if (rows > in.Left() / 4) Bad("it is truncated in the bookmarks");
        SizeFresh(s.bookmarks_, rows);
        for (std::uint32_t i = 0; i < rows; ++i) {
            const std::uint32_t b = in.U32("the bookmarks");
            if (b < 1 || b >= next) Bad("the bookmark " + std::to_string(b) + " is out of range");
            s.bookmarks_[i] = b;
        }
        // every bookmark once: a bitmap when they are dense (next is bounded by the rows
        // read, so its size follows from the data actually present), else a sorted copy
        bool twice = false;
        if (next <= 64 * static_cast<std::uint64_t>(rows) + 4096) {
            std::vector<std::uint64_t> seen(static_cast<std::size_t>(next / 64 + 1), 0);
            for (std::uint32_t b : s.bookmarks_) {
                std::uint64_t& word = seen[b >> 6];
                const std::uint64_t bit = std::uint64_t{1} << (b & 63);
                twice = twice || (word & bit) != 0;
                word |= bit;
            }
        } else {
            std::vector<std::uint32_t> sorted(s.bookmarks_);
            std::sort(sorted.begin(), sorted.end());
            twice = std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
        }
        if (twice) Bad("a bookmark appears twice");
        bool identity = true;
        for (std::uint32_t i = 0; i < rows && identity; ++i) identity = s.bookmarks_[i] == i + 1;
        if (identity) s.bookmarks_.clear();
    } else {
        Bad("the bookmark encoding " + std::to_string(mode) + " is unknown");
    }

    const std::uint8_t* st = in.Take(rows, "the row statuses");
    // a status is new, modified or neither, and perhaps deleted: no bit above those three, and
    // not new and modified at once (in one pass without a branch, then the first wrong one named)
    static_assert(status::New == 1 && status::Modified == 2 && status::Deleted == 4);
    std::size_t modified = 0;
    std::uint8_t wrong = 0;
    for (std::uint32_t i = 0; i < rows; ++i) {
        const std::uint8_t b = st[i];
        wrong |= static_cast<std::uint8_t>((b & 0xF8) | static_cast<std::uint8_t>((b & 3) == 3));
        modified += (b >> 1) & 1;
    }
    if (wrong) {
        for (std::uint32_t i = 0; i < rows; ++i) {
            const std::uint8_t b = st[i];
            if ((b & 0xF8) || (b & 3) == 3) {
                Bad("row " + std::to_string(i + 1) + " has the bad status " + std::to_string(b));
            }
        }
    }
    SizeFresh(s.status_, rows);
    if (rows > 0) std::memcpy(s.status_.data(), st, rows);

    for (std::size_t f = 0; f < fields.size(); ++f) {
        ReadColumn(in, s.columns_[f], fields[f], rows, src);
    }

    const std::uint32_t count = in.U32("the original values");
    if (count != modified) Bad("the original values do not match the modified rows");
    std::uint32_t last = 0;
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::uint32_t row = in.U32("the original values");
        if (row >= rows || (k > 0 && row <= last) || !(s.status_[row] & status::Modified)) {
            Bad("the original values name a wrong row");
        }
        last = row;
        std::vector<Value> values;
        values.reserve(fields.size());
        for (const auto& f : fields) {
            Value v = in.Val("the original values");
            if (!HasFieldType(v, f.type)) {
                Bad("an original value of field '" + f.name + "' is of the wrong kind");
            }
            values.push_back(v.isEmpty() ? Value::Null() : std::move(v));
        }
        s.originals_.emplace(row, std::move(values));
    }

    if (minor > kImageMinor) {
        // sections of a newer minor version: each says how long it is
        while (in.Left() > 0) {
            in.U32("an extension section");
            const std::uint64_t len = in.U64("an extension section");
            if (len > in.Left()) Bad("it is truncated in an extension section");
            in.Take(static_cast<std::size_t>(len), "an extension section");
        }
    } else if (in.Left() != 0) {
        Bad(std::to_string(in.Left()) + " unexpected bytes follow the rows");
    }
    return store;
}

std::shared_ptr<RowStore> ReadImage(const std::uint8_t* data, std::size_t size,
                                    std::size_t& consumed, const ImageOwner& owner) {
    if (size < 4 || std::memcmp(data, "HBRS", 4) != 0) {
        if (size == 0) Bad("the stream holds no image at its position");
        Bad("the data is not a record-set image");
    }
    if (size < kImageHeaderSize) Bad("it is truncated in the header");
    const auto major = static_cast<std::uint16_t>(data[4] | (data[5] << 8));
    const auto minor = static_cast<std::uint16_t>(data[6] | (data[7] << 8));
    if (major < kImageOldestMajor || major > kImageMajor) {
        Bad("its format version " + std::to_string(major) + "." + std::to_string(minor) +
            (major > kImageMajor
                 ? " is newer than the version " + std::to_string(kImageMajor)
                 : " is older than the version " + std::to_string(kImageOldestMajor)) +
            " that this program reads");
    }
    std::uint64_t payload = 0;
    for (int k = 0; k < 8; ++k) payload |= static_cast<std::uint64_t>(data[8 + k]) << (8 * k);
    if (payload > size - kImageHeaderSize || size - kImageHeaderSize - payload < 4) {
        Bad("it is truncated (" + std::to_string(payload + kImageHeaderSize + 4) +
            " bytes announced, " + std::to_string(size) + " present)");
    }
    const std::size_t body = kImageHeaderSize + static_cast<std::size_t>(payload);
    std::uint32_t stored = 0;
    for (int k = 0; k < 4; ++k) stored |= static_cast<std::uint32_t>(data[body + k]) << (8 * k);
    if (Crc32c(data, body) != stored) Bad("its checksum does not match (the data is damaged)");
    In in(data + kImageHeaderSize, static_cast<std::size_t>(payload));
    ImageSource src;
    src.major = major;
    src.start = data;
    src.owner = &owner;
    auto store = ImageReader::Payload(in, minor, src);
    consumed = body + 4;
    return store;
}

void Recordset::Open(Stream& stream) {
    view_->RequireClosed();
    if (!stream.IsOpen()) {
        throw Error(err::ObjectClosed,
                    "Operation is not allowed when the object is closed: the "
                    "stream to open from is closed.");
    }
    const std::int64_t at = stream.Position();
    std::shared_ptr<RowStore> store;
    if (const std::shared_ptr<const RowStore> kept = stream.ImageAt()) {
        // an image saved into this stream and never written out: share its rows
        store = kept->ShareFrozen();
        stream.SetPosition(at + static_cast<std::int64_t>(stream.ImageSize()));
    } else {
        // the store keeps the image's blocks in the stream's buffer, which the stream copies
        // before it next writes
        const ImageOwner owner = stream.Owner();
        const ByteView buf = stream.Buffer();
        std::size_t consumed = 0;
        store =
            ReadImage(buf.data() + at, buf.size() - static_cast<std::size_t>(at), consumed, owner);
        stream.SetPosition(at + static_cast<std::int64_t>(consumed));
    }
    pendingFields_.clear();  // the image's fields replace any appended ones
    store_ = store;
    view_->Attach(std::move(store));
    if (!sortText_.empty()) SetSort(std::string(sortText_));
    view_->Tell({RowChange::Kind::Reset, 0});
}

}  // namespace records
