// Writing record-set images, the checksum, and the record set's Save / Open(source).
#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <memory>

#include "records/errors.h"
#include "records/image.h"
#include "records/recordset_view.h"
#include "records/stream.h"
#include "records/value_codec.h"

namespace records {

namespace {

// Writes into memory sized beforehand: the image's exact length is known before a byte is
// written, so it goes straight into its destination (a stream's buffer) with no copy.
class Out {
  public:
    explicit Out(std::uint8_t* at) : p_(at) {}
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
        if (n) std::memcpy(Grow(n), p, n);
    }
    std::uint8_t* Here() const { return p_; }

  private:
    void Le(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) *p_++ = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::uint8_t* p_;
};

std::uint8_t* PutVarint(std::uint8_t* p, std::size_t n) {
    while (n >= 0x80) {
        *p++ = static_cast<std::uint8_t>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    *p++ = static_cast<std::uint8_t>(n);
    return p;
}

std::size_t VarintLen(std::size_t n) {
    std::size_t k = 1;
    while (n >= 0x80) {
        n >>= 7;
        ++k;
    }
    return k;
}

// What one column adds to the image, measured before writing.
struct ColumnPlan {
    std::size_t present = 0;
    std::size_t valueBytes = 0;  // the values after the presence bitmap
    Bytes tagged;                // variant columns: the values, already encoded
};

ColumnPlan PlanColumn(const Column& c, const std::vector<RowId>& rows) {
    ColumnPlan plan;
    for (RowId r : rows) plan.present += c.IsNull(r) ? 0 : 1;
    if (plan.present == 0) return plan;
    switch (c.Kind()) {
        case Storage::Number:
        case Storage::Real:
            plan.valueBytes = 8 * plan.present;
            break;
        case Storage::Text:
            for (RowId r : rows) {
                if (c.IsNull(r)) continue;
                const std::size_t n = c.Text(r).size();
                plan.valueBytes += VarintLen(n) + n;
            }
            break;
        case Storage::Any: {
            ByteWriter w(plan.tagged);
            for (RowId r : rows) {
                if (!c.IsNull(r)) w.Val(c.Any(r));
            }
            plan.valueBytes = plan.tagged.size();
            break;
        }
    }
    return plan;
}

std::size_t ColumnBytes(const ColumnPlan& plan, std::size_t rows) {
    return plan.present == 0 ? 1 : 1 + (rows + 7) / 8 + plan.valueBytes;
}

void WriteColumn(Out& out, const ColumnPlan& plan, const Column& c,
                 const std::vector<RowId>& rows) {
    if (plan.present == 0) {
        out.U8(0);
        return;
    }
    out.U8(1);
    std::uint8_t* bits = out.Grow((rows.size() + 7) / 8);
    std::memset(bits, 0, (rows.size() + 7) / 8);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!c.IsNull(rows[i]))
            bits[i >> 3] = static_cast<std::uint8_t>(bits[i >> 3] | (1u << (i & 7)));
    }
    switch (c.Kind()) {
        case Storage::Number:
        case Storage::Real: {
            std::uint8_t* p = out.Grow(plan.valueBytes);
            for (RowId r : rows) {
                if (c.IsNull(r)) continue;
                const std::uint64_t v = c.Bits(r);
                for (int k = 0; k < 8; ++k) *p++ = static_cast<std::uint8_t>(v >> (8 * k));
            }
            break;
        }
        case Storage::Text: {
            std::uint8_t* p = out.Grow(plan.valueBytes);
            for (RowId r : rows) {
                if (c.IsNull(r)) continue;
                const std::string_view s = c.Text(r);
                p = PutVarint(p, s.size());
                if (!s.empty()) std::memcpy(p, s.data(), s.size());
                p += s.size();
            }
            break;
        }
        case Storage::Any:
            out.Raw(plan.tagged.data(), plan.tagged.size());
            break;
    }
}

// CRC-32C (Castagnoli): the processor's instruction where there is one, a table otherwise.
std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0x82F63B78u : c >> 1;
        t[i] = c;
    }
    return t;
}

std::uint32_t Crc32cTable(std::uint32_t c, const std::uint8_t* p, std::size_t n) {
    static const auto table = MakeTable();
    for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFFu] ^ (c >> 8);
    return c;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("sse4.2"))) std::uint32_t Crc32cHardware(std::uint32_t c,
                                                               const std::uint8_t* p,
                                                               std::size_t n) {
    std::uint64_t c64 = c;
    while (n >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        c64 = __builtin_ia32_crc32di(c64, v);
        p += 8;
        n -= 8;
    }
    auto c32 = static_cast<std::uint32_t>(c64);
    while (n--) c32 = __builtin_ia32_crc32qi(c32, *p++);
    return c32;
}
#endif

}  // namespace

std::uint32_t Crc32c(const std::uint8_t* data, std::size_t n) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool hardware = __builtin_cpu_supports("sse4.2");
    if (hardware) return ~Crc32cHardware(0xFFFFFFFFu, data, n);
#endif
    return ~Crc32cTable(0xFFFFFFFFu, data, n);
}

namespace {

// An image measured, then written into memory of exactly its size.
class ImageWriter {
  public:
    ImageWriter(const RowStore& store, const std::vector<RowId>& rows);
    std::size_t Size() const { return size_; }
    void WriteTo(std::uint8_t* dst) const;

  private:
    const RowStore& store_;
    const std::vector<RowId>& rows_;
    bool consecutive_ = true;
    std::vector<ColumnPlan> columns_;
    std::uint32_t modified_ = 0;
    Bytes originals_;  // row index and tagged values of each modified row
    std::size_t size_ = 0;
};

ImageWriter::ImageWriter(const RowStore& store, const std::vector<RowId>& rows)
    : store_(store), rows_(rows) {
    const auto& fields = store.Fields();
    const std::size_t n = rows.size();
    std::size_t size = kImageHeaderSize + 4;
    for (const auto& f : fields) size += 4 + f.name.size() + 1 + 4;
    size += 4 + 8;
    for (std::size_t i = 1; i < n && consecutive_; ++i) {
        consecutive_ =
            store.BookmarkOf(rows[i]) == store.BookmarkOf(rows[0]) + static_cast<Bookmark>(i);
    }
    size += 1 + (consecutive_ ? 4 : 4 * n);
    size += n;  // statuses
    columns_.reserve(fields.size());
    for (std::size_t f = 0; f < fields.size(); ++f) {
        columns_.push_back(PlanColumn(store.Col(static_cast<int>(f)), rows));
        size += ColumnBytes(columns_.back(), n);
    }
    ByteWriter w(originals_);
    for (std::size_t i = 0; i < n; ++i) {
        if (!(store.StatusBits(rows[i]) & status::Modified)) continue;
        ++modified_;
        w.U32(static_cast<std::uint32_t>(i));
        for (std::size_t f = 0; f < fields.size(); ++f) {
            w.Val(store.Original(rows[i], static_cast<int>(f)));
        }
    }
    size += 4 + originals_.size() + 4;  // originals, checksum
    size_ = size;
}

void ImageWriter::WriteTo(std::uint8_t* dst) const {
    const RowStore& store = store_;
    const std::vector<RowId>& rows = rows_;
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
    out.U32(static_cast<std::uint32_t>(rows.size()));
    out.U64(static_cast<std::uint64_t>(store.NextBookmark()));
    if (consecutive_) {
        out.U8(0);
        out.U32(rows.empty() ? 1 : static_cast<std::uint32_t>(store.BookmarkOf(rows[0])));
    } else {
        out.U8(1);
        for (RowId r : rows) out.U32(static_cast<std::uint32_t>(store.BookmarkOf(r)));
    }
    std::uint8_t* st = out.Grow(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        st[i] = static_cast<std::uint8_t>(store.StatusBits(rows[i]) & 7);
    }
    for (std::size_t f = 0; f < fields.size(); ++f) {
        WriteColumn(out, columns_[f], store.Col(static_cast<int>(f)), rows);
    }
    out.U32(modified_);
    out.Raw(originals_.data(), originals_.size());
    const std::size_t body = static_cast<std::size_t>(out.Here() - dst);
    out.U32(Crc32c(dst, body));
}

}  // namespace

ImageBuffer WriteImage(const RowStore& store, const std::vector<RowId>& rows) {
    const ImageWriter writer(store, rows);
    ImageBuffer image{std::unique_ptr<std::uint8_t[]>(new std::uint8_t[writer.Size()]),
                      writer.Size()};
    writer.WriteTo(image.data.get());
    return image;
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
    const std::vector<RowId> rows = view_->ImageRows();
    const ImageWriter writer(*view_->store, rows);
    writer.WriteTo(stream.Reserve(writer.Size()));
}

void Recordset::Open(const Recordset& source) {
    view_->RequireClosed();
    source.view_->RequireOpen();
    const ImageBuffer image = WriteImage(*source.view_->store, source.view_->rows);
    std::size_t consumed = 0;
    auto store = ReadImage(image.data.get(), image.size, consumed);
    pendingFields_.clear();  // the image's fields replace any appended ones
    store_ = store;
    view_->Attach(store);
    if (!sortText_.empty()) SetSort(std::string(sortText_));
    view_->Tell({RowChange::Kind::Reset, 0});
}

}  // namespace records
