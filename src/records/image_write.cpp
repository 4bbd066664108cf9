// Writing record-set images and the record set's Save / Open(source).
#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <memory>

#include "records/column_store.h"
#include "records/errors.h"
#include "records/image.h"
#include "records/recordset_view.h"
#include "records/stream.h"
#include "records/value_codec.h"

namespace records {

namespace {

// Writes into memory sized beforehand: the image's exact length is known before a byte is
// written, so it goes straight into its destination (a stream's buffer) with no copy. The
// checksum follows the writing closely, over bytes still in the cache.
class Out {
  public:
    explicit Out(std::uint8_t* at) : start_(at), p_(at), summed_(at) {}
    // Room for n bytes, which the caller fills before the next Raw.
    std::uint8_t* Grow(std::size_t n) {
        std::uint8_t* at = p_;
        p_ += n;
        return at;
    }
    void U8(std::uint8_t v) { *p_++ = v; }
    void U16(std::uint16_t v) { Le(v, 2); }
    void U32(std::uint32_t v) { Le(v, 4); }
    void U64(std::uint64_t v) { Le(v, 8); }
    void Raw(const void* p, std::size_t n) {
        const auto* from = static_cast<const std::uint8_t*>(p);
        while (n > 0) {
            const std::size_t k = std::min(n, kSumStep);
            std::memcpy(p_, from, k);
            p_ += k;
            from += k;
            n -= k;
            if (static_cast<std::size_t>(p_ - summed_) >= kSumStep) Sum(false);
        }
    }
    // The checksum of everything written.
    std::uint32_t Checksum() {
        Sum(true);
        return crc_;
    }
    std::uint8_t* Here() const { return p_; }
    // Zeros up to the next multiple of 8 bytes from the image's start.
    void Align() {
        while ((p_ - start_) % 8 != 0) *p_++ = 0;
    }

  private:
    static constexpr std::size_t kSumStep = std::size_t{3} * 8192 * 4;
    // Checksums the bytes written since the last time (all of them final by then), in whole
    // steps unless `all`: the checksum runs fastest over multiples of its stretch.
    void Sum(bool all) {
        auto n = static_cast<std::size_t>(p_ - summed_);
        if (!all) n -= n % kSumStep;
        crc_ = Crc32c(summed_, n, crc_);
        summed_ += n;
    }
    void Le(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) *p_++ = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::uint8_t* start_;
    std::uint8_t* p_;
    std::uint8_t* summed_;  // the checksum covers the bytes before it
    std::uint32_t crc_ = 0;
};

// The padding in front of a block that starts `at` bytes into the image.
std::size_t PadAt(std::size_t at) {
    return (8 - at % 8) % 8;
}

static_assert(std::endian::native == std::endian::little,
              "images copy slots in bulk: the host must be little-endian like the image");

constexpr std::uint32_t kInlineSlot = 0x80000000u;  // a Null or short text slot (column_store)
constexpr std::size_t kAhead = 16;                  // rows read ahead by a gather
constexpr std::size_t kTextChunk = 1u << 16;        // text references hold 16-bit offsets
constexpr std::size_t kMaxTextChunks = 1u << 15;    // and 15-bit chunk numbers

std::uint8_t* PutVarint(std::uint8_t* p, std::size_t n) {
    while (n >= 0x80) {
        *p++ = static_cast<std::uint8_t>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    *p++ = static_cast<std::uint8_t>(n);
    return p;
}

}  // namespace

// What one column adds to the image, measured (and for texts in another order, gathered)
// before writing.
struct ColumnPlan {
    ImageColumn enc = ImageColumn::AllNull;
    std::vector<std::uint64_t> present;  // gathered presence words (empty: the column's own)
    bool ownPool = false;                // texts: the column's pool as it is
    std::vector<std::uint32_t> chunks;   // texts gathered: the sizes of the pool's chunks
    std::vector<std::uint32_t> slots;    // texts gathered: the slot of each row written
    Bytes texts;                         // texts gathered: the chunks' bytes, back to back
    Bytes tagged;                        // variants: the present values, encoded
    std::size_t bytes = 1;               // the encoding byte and the blocks, without padding
};

// An image measured, then written into memory of exactly its size. Columns are written in
// blocks: when the rows are the store's own in order (no sort, no filter, nothing gone), the
// column's segments, bitmap and text pool are copied as they are.
class ImageWriter {
  public:
    // rows: the rows written, in order; null: every slot of the store in order (no list built)
    ImageWriter(const RowStore& store, const std::vector<RowId>* rows);
    std::size_t Size() const { return size_; }
    void WriteTo(std::uint8_t* dst) const;

  private:
    ColumnPlan PlanColumn(const Column& c) const;
    // Lays out the texts of the rows written, in their order, in chunks of at most 64 KiB (a
    // longer text alone), reading each text once: the slots, chunk sizes and bytes go into the
    // plan.
    void GatherTexts(const Column& c, ColumnPlan& plan) const;
    void WriteColumn(Out& out, const ColumnPlan& plan, const Column& c) const;

    const RowStore& store_;
    RowId At(std::size_t i) const { return rows_ ? rows_[i] : static_cast<RowId>(i); }

    const RowId* rows_ = nullptr;  // null: row i is slot i
    std::size_t n_ = 0;            // rows written
    bool consecutive_ = true;
    bool direct_ = true;  // rows are 0 .. Slots() - 1
    std::vector<ColumnPlan> columns_;
    std::uint32_t modified_ = 0;
    Bytes originals_;  // row index and tagged values of each modified row
    std::size_t size_ = 0;
};

void ImageWriter::GatherTexts(const Column& c, ColumnPlan& plan) const {
    plan.slots.resize(n_);
    Bytes& to = plan.texts;
    to.resize(std::min<std::size_t>(c.pool_.Used(), 1u << 20));
    std::size_t at = 0;
    std::uint32_t index = 0, size = 0;
    const std::size_t n = n_;
    for (std::size_t i = 0; i < n; ++i) {
        // the rows come in another order than storage: ask for slots and texts ahead
        if (i + 2 * kAhead < n) c.Prefetch(At(i + 2 * kAhead));
        if (i + kAhead < n) {
            const std::uint32_t ahead = c.txt_[At(i + kAhead)];
            if (!(ahead & kInlineSlot)) __builtin_prefetch(c.pool_.At(ahead));
        }
        const RowId r = At(i);
        const std::uint32_t s = c.txt_[r];
        if (c.IsNull(r) || (s & kInlineSlot)) {
            plan.slots[i] = c.IsNull(r) ? kInlineSlot : s;
            continue;
        }
        const std::string_view text = c.pool_.Get(s);
        const std::size_t need = VarintSize(text.size()) + text.size();
        if (size > 0 && size + need > kTextChunk) {
            plan.chunks.push_back(size);
            ++index;
            size = 0;
        }
        plan.slots[i] = (index << 16) | size;
        if (at + need > to.size()) to.resize(std::max(2 * to.size(), at + need));
        std::uint8_t* p = PutVarint(to.data() + at, text.size());
        std::memcpy(p, text.data(), text.size());
        at += need;
        size += static_cast<std::uint32_t>(need);
    }
    if (size > 0) plan.chunks.push_back(size);
    to.resize(at);
}

ColumnPlan ImageWriter::PlanColumn(const Column& c) const {
    ColumnPlan plan;
    const std::size_t n = n_;
    if (!c.materialised_) return plan;
    const std::size_t words = (n + 63) / 64;
    bool any = false;
    if (direct_) {
        for (std::uint64_t w : c.present_) any = any || w != 0;
    } else {
        plan.present.assign(words, 0);
        for (std::size_t i = 0; i < n; ++i) {
            if (!c.IsNull(At(i))) plan.present[i >> 6] |= std::uint64_t{1} << (i & 63);
        }
        for (std::uint64_t w : plan.present) any = any || w != 0;
    }
    if (!any) return plan;
    plan.bytes = 1 + 8 * words;
    switch (c.Kind()) {
        case Storage::Number:
            plan.enc = c.narrow_ ? ImageColumn::Whole32 : ImageColumn::Bits64;
            plan.bytes += (c.narrow_ ? 4 : 8) * n;
            break;
        case Storage::Real:
            plan.enc = ImageColumn::Bits64;
            plan.bytes += 8 * n;
            break;
        case Storage::Text: {
            plan.enc = ImageColumn::Texts;
            std::size_t poolBytes = 0;
            if (direct_ && c.pool_.Garbage() == 0) {
                plan.ownPool = true;
                for (const auto& chunk : c.pool_.chunks_) plan.chunks.push_back(chunk.size);
            } else {
                // only the texts of the rows written, in their order, gathered once: the rows
                // are visited in another order than the pool's, so each text is read once here
                // and the writing copies the packed bytes as a block
                GatherTexts(c, plan);
            }
            for (std::uint32_t size : plan.chunks) poolBytes += size;
            if (plan.chunks.size() > kMaxTextChunks) {
                throw Error(err::Overflow, "The texts of a field are too many for an image");
            }
            plan.bytes += 4 * n + 4 + 4 * plan.chunks.size() + poolBytes;
            break;
        }
        case Storage::Any: {
            plan.enc = ImageColumn::Tagged;
            ByteWriter w(plan.tagged);
            for (std::size_t i = 0; i < n; ++i) {
                if (!c.IsNull(At(i))) w.Val(c.Any(At(i)));
            }
            plan.bytes += 8 + plan.tagged.size();
            break;
        }
    }
    return plan;
}

void ImageWriter::WriteColumn(Out& out, const ColumnPlan& plan, const Column& c) const {
    out.U8(static_cast<std::uint8_t>(plan.enc));
    if (plan.enc == ImageColumn::AllNull) return;
    out.Align();  // the blocks at aligned offsets, so that a reader can use them where they are
    const std::size_t n = n_;
    const std::size_t words = (n + 63) / 64;
    const auto& present = direct_ ? c.present_ : plan.present;
    out.Raw(present.data(), 8 * words);
    auto copyAll = [&](const auto& seg) {
        seg.ForEachRun([&](const auto* run, std::size_t k) { out.Raw(run, k * sizeof(*run)); });
    };
    switch (plan.enc) {
        case ImageColumn::Whole32:
            if (direct_) {
                copyAll(c.num32_);
            } else {
                std::uint8_t* p = out.Grow(4 * n);
                for (std::size_t i = 0; i < n; ++i) {
                    if (i + kAhead < n) c.Prefetch(At(i + kAhead));
                    std::memcpy(p, &c.num32_[At(i)], 4);
                    p += 4;
                }
            }
            break;
        case ImageColumn::Bits64:
            if (direct_) {
                copyAll(c.num_);
            } else {
                std::uint8_t* p = out.Grow(8 * n);
                for (std::size_t i = 0; i < n; ++i) {
                    if (i + kAhead < n) c.Prefetch(At(i + kAhead));
                    std::memcpy(p, &c.num_[At(i)], 8);
                    p += 8;
                }
            }
            break;
        case ImageColumn::Texts: {
            std::uint8_t* slots = out.Grow(4 * n);
            out.U32(static_cast<std::uint32_t>(plan.chunks.size()));
            for (std::uint32_t size : plan.chunks) out.U32(size);
            if (plan.ownPool) {
                c.txt_.ForEachRun([&](const std::uint32_t* run, std::size_t k) {
                    std::memcpy(slots, run, 4 * k);
                    slots += 4 * k;
                });
                for (const auto& chunk : c.pool_.chunks_) out.Raw(chunk.data, chunk.size);
                break;
            }
            std::memcpy(slots, plan.slots.data(), 4 * n);
            out.Raw(plan.texts.data(), plan.texts.size());
            break;
        }
        case ImageColumn::Tagged:
            out.U64(plan.tagged.size());
            out.Raw(plan.tagged.data(), plan.tagged.size());
            break;
        case ImageColumn::AllNull:
            break;
    }
}

ImageWriter::ImageWriter(const RowStore& store, const std::vector<RowId>* rows)
    : store_(store), rows_(rows ? rows->data() : nullptr), n_(rows ? rows->size() : store.Slots()) {
    const auto& fields = store.Fields();
    const std::size_t n = n_;
    std::size_t size = kImageHeaderSize + 4;
    for (const auto& f : fields) size += 4 + f.name.size() + 1 + 4;
    size += 4 + 8;
    direct_ = n == store.Slots();
    for (std::size_t i = 0; i < n && direct_ && rows_; ++i) direct_ = rows_[i] == i;
    consecutive_ = direct_ && store.PlainBookmarks();
    if (!consecutive_) {
        consecutive_ = true;
        for (std::size_t i = 1; i < n && consecutive_; ++i) {
            consecutive_ =
                store.BookmarkOf(At(i)) == store.BookmarkOf(At(0)) + static_cast<Bookmark>(i);
        }
    }
    size += 1 + (consecutive_ ? 4 : 4 * n);
    size += n;  // statuses
    columns_.reserve(fields.size());
    for (std::size_t f = 0; f < fields.size(); ++f) {
        columns_.push_back(PlanColumn(store.Col(static_cast<int>(f))));
        const ColumnPlan& plan = columns_.back();
        if (plan.enc != ImageColumn::AllNull) size += PadAt(size + 1);
        size += plan.bytes;
    }
    ByteWriter w(originals_);
    for (std::size_t i = 0; i < n && store.HasOriginals(); ++i) {
        if (!(store.StatusBits(At(i)) & status::Modified)) continue;
        ++modified_;
        w.U32(static_cast<std::uint32_t>(i));
        for (std::size_t f = 0; f < fields.size(); ++f) {
            w.Val(store.Original(At(i), static_cast<int>(f)));
        }
    }
    size += 4 + originals_.size() + 4;  // originals, checksum
    size_ = size;
}

void ImageWriter::WriteTo(std::uint8_t* dst) const {
    const RowStore& store = store_;
    Out out(dst);
    out.Raw("HBRS", 4);
    out.U16(kImageMajor);
    out.U16(kImageMinor);
    out.U64(size_ - kImageHeaderSize - 4);  // the payload's length

    const auto& fields = store.Fields();
    out.U32(static_cast<std::uint32_t>(fields.size()));
    for (const auto& f : fields) {
        out.U32(static_cast<std::uint32_t>(f.name.size()));
        out.Raw(f.name.data(), f.name.size());
        out.U8(static_cast<std::uint8_t>(f.type));
        out.U32(static_cast<std::uint32_t>(f.size));
    }
    out.U32(static_cast<std::uint32_t>(n_));
    out.U64(static_cast<std::uint64_t>(store.NextBookmark()));
    if (consecutive_) {
        out.U8(0);
        out.U32(n_ == 0 ? 1 : static_cast<std::uint32_t>(store.BookmarkOf(At(0))));
    } else {
        out.U8(1);
        std::uint8_t* p = out.Grow(4 * n_);
        for (std::size_t i = 0; i < n_; ++i) {
            const auto b = static_cast<std::uint32_t>(store.BookmarkOf(At(i)));
            std::memcpy(p, &b, 4);
            p += 4;
        }
    }
    std::uint8_t* st = out.Grow(n_);
    for (std::size_t i = 0; i < n_; ++i) {
        st[i] = static_cast<std::uint8_t>(store.StatusBits(At(i)) & 7);
    }
    for (std::size_t f = 0; f < fields.size(); ++f) {
        WriteColumn(out, columns_[f], store.Col(static_cast<int>(f)));
    }
    out.U32(modified_);
    out.Raw(originals_.data(), originals_.size());
    const auto body = static_cast<std::size_t>(out.Here() - dst);
    if (body + 4 != size_)
        throw Error(err::InvalidArgument, "The record-set image was mismeasured");
    out.U32(out.Checksum());
}

namespace {

bool IsEveryRowInOrder(const RowStore& store, const std::vector<RowId>& rows) {
    if (rows.size() != store.Slots()) return false;
    for (RowId r = 0; r < rows.size(); ++r) {
        if (rows[r] != r) return false;
    }
    return true;
}

}  // namespace

void WriteWholeImage(const RowStore& store, std::uint8_t* dst, std::size_t size) {
    const ImageWriter writer(store, nullptr);
    if (writer.Size() != size) {
        throw Error(err::InvalidArgument, "The record-set image changed its length while kept");
    }
    writer.WriteTo(dst);
}

// --- the record set's side

std::vector<RowId> Recordset::View::ImageRows() const {
    const RowStore& s = *store;
    std::vector<RowId> out;
    if (filterKind == FilterKind::Bookmarks) {
        // only a criteria filter limits what is written: all rows, in the sort order
        for (RowId r = 0; r < s.Slots(); ++r) {
            if (s.IsVisible(r)) out.push_back(r);
        }
        SortRows(s, sort, out);
    } else {
        out = rows;
    }
    // rows deleted in the batch go along, at their place, so a cancel brings them back there
    std::vector<RowId> deleted;
    for (RowId r = 0; r < s.Slots(); ++r) {
        if (s.IsLive(r) && s.IsDeleted(r) &&
            (filterKind != FilterKind::Criteria || filter->Matches(s, r))) {
            deleted.push_back(r);
        }
    }
    if (deleted.empty()) return out;
    auto before = [&](RowId x, RowId y) {
        if (sort.empty()) return x < y;
        const int c = CompareRows(s, sort, x, y);
        return c < 0 || (c == 0 && x < y);
    };
    std::sort(deleted.begin(), deleted.end(), before);
    std::vector<RowId> merged;
    merged.reserve(out.size() + deleted.size());
    std::merge(out.begin(), out.end(), deleted.begin(), deleted.end(), std::back_inserter(merged),
               before);
    return merged;
}

void Recordset::Save(Stream& stream) const {
    view_->RequireOpen();
    if (!stream.IsOpen()) {
        throw Error(err::ObjectClosed,
                    "Operation is not allowed when the object is closed: the "
                    "stream to save into is closed.");
    }
    RowStore& store = *view_->store;
    // a view of every row in order (nothing deleted, no sort, no filter that leaves rows out)
    // is written without a list of its rows
    std::vector<RowId> picked;
    bool everyRow = IsEveryRowInOrder(store, view_->rows);
    if (!everyRow) {
        picked = view_->ImageRows();
        everyRow = IsEveryRowInOrder(store, picked);
    }
    const std::vector<RowId>* rows = everyRow ? nullptr : &picked;
    if (stream.ImageAt() == nullptr && stream.Position() == stream.Size() && everyRow) {
        // the store's rows as they stand: kept as a snapshot, written out when needed
        std::shared_ptr<const RowStore> snapshot = store.Snapshot();
        const std::size_t size = ImageWriter(*snapshot, nullptr).Size();
        if (stream.PutImage(std::move(snapshot), size)) return;
    }
    const ImageWriter writer(store, rows);
    writer.WriteTo(stream.Reserve(writer.Size()));
}

void Recordset::Open(const Recordset& source) {
    view_->RequireClosed();
    source.view_->RequireOpen();
    // through a stream of its own: the same image, read as Open(Stream&) reads it
    const ImageWriter writer(*source.view_->store, &source.view_->rows);
    Stream stream;
    stream.Open();
    writer.WriteTo(stream.Reserve(writer.Size()));
    stream.SetPosition(0);
    Open(stream);
}

}  // namespace records
