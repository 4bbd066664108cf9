// Writing record-set images, the checksum, and the record set's Save / Open(source).
#include <algorithm>
#include <array>
#include <iterator>
#include <cstring>
#include <memory>

#include "records/errors.h"
#include "records/image.h"
#include "records/recordset_view.h"
#include "records/stream.h"
#include "records/value_codec.h"

namespace records {

namespace {

// A growing buffer that is not zero-filled: images are large, and every byte gets written.
class Out {
public:
    explicit Out(std::size_t capacity) : data_(new std::uint8_t[capacity]), cap_(capacity) {}
    std::uint8_t* Grow(std::size_t n) {
        if (size_ + n > cap_) {
            const std::size_t cap = std::max(cap_ * 2, size_ + n);
            std::unique_ptr<std::uint8_t[]> bigger(new std::uint8_t[cap]);
            if (size_) std::memcpy(bigger.get(), data_.get(), size_);
            data_ = std::move(bigger);
            cap_ = cap;
        }
        std::uint8_t* at = data_.get() + size_;
        size_ += n;
        return at;
    }
    void U8(std::uint8_t v) { *Grow(1) = v; }
    void U16(std::uint16_t v) { Le(v, 2); }
    void U32(std::uint32_t v) { Le(v, 4); }
    void U64(std::uint64_t v) { Le(v, 8); }
    void Raw(const void* p, std::size_t n) {
        if (n) std::memcpy(Grow(n), p, n);
    }
    std::uint8_t* Data() { return data_.get(); }
    std::size_t Size() const { return size_; }
    ImageBuffer Take() { return {std::move(data_), size_}; }

private:
    void Le(std::uint64_t v, int n) {
        std::uint8_t* p = Grow(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t cap_ = 0;
    std::size_t size_ = 0;
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

void WriteColumn(Out& out, Bytes& buf, const Column& c, const std::vector<RowId>& rows) {
    std::size_t present = 0;
    for (RowId r : rows) present += c.IsNull(r) ? 0 : 1;
    if (present == 0) {
        out.U8(0);
        return;
    }
    out.U8(1);
    std::uint8_t* bits = out.Grow((rows.size() + 7) / 8);
    std::memset(bits, 0, (rows.size() + 7) / 8);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!c.IsNull(rows[i])) bits[i >> 3] = static_cast<std::uint8_t>(bits[i >> 3] | (1u << (i & 7)));
    }
    switch (c.Kind()) {
        case Storage::Number:
        case Storage::Real: {
            std::uint8_t* p = out.Grow(present * 8);
            for (RowId r : rows) {
                if (c.IsNull(r)) continue;
                const std::uint64_t v = c.Bits(r);
                for (int k = 0; k < 8; ++k) *p++ = static_cast<std::uint8_t>(v >> (8 * k));
            }
            break;
        }
        case Storage::Text: {
            std::size_t total = 0;
            for (RowId r : rows) {
                if (c.IsNull(r)) continue;
                const std::size_t n = c.Text(r).size();
                total += VarintLen(n) + n;
            }
            std::uint8_t* p = out.Grow(total);
            for (RowId r : rows) {
                if (c.IsNull(r)) continue;
                const std::string_view s = c.Text(r);
                p = PutVarint(p, s.size());
                if (!s.empty()) std::memcpy(p, s.data(), s.size());
                p += s.size();
            }
            break;
        }
        case Storage::Any: {
            for (RowId r : rows) {
                if (c.IsNull(r)) continue;
                buf.clear();
                ByteWriter(buf).Val(c.Any(r));
                out.Raw(buf.data(), buf.size());
            }
            break;
        }
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

// An upper bound of the image's size but for variant values and originals (estimated; the buffer
// grows if need be). Pages of the buffer that stay unused are never touched.
std::size_t ImageSize(const RowStore& store, const std::vector<RowId>& rows) {
    std::size_t n = kImageHeaderSize + 4 + 4 + 8 + 1 + 4 * rows.size() + rows.size() + 4 + 4;
    for (const auto& f : store.Fields()) n += 9 + f.name.size();
    for (std::size_t f = 0; f < store.Fields().size(); ++f) {
        const Column& c = store.Col(static_cast<int>(f));
        n += 1 + (rows.size() + 7) / 8;
        switch (c.Kind()) {
            case Storage::Number:
            case Storage::Real:
                n += 8 * rows.size();
                break;
            case Storage::Text:
                n += c.TextBytesBound();
                break;
            case Storage::Any:
                n += 16 * rows.size();
                break;
        }
    }
    return n;
}

}  // namespace

ImageBuffer WriteImage(const RowStore& store, const std::vector<RowId>& rows) {
    Out out(ImageSize(store, rows));
    out.Raw("HBRS", 4);
    out.U16(kImageMajor);
    out.U16(kImageMinor);
    out.U64(0);  // payload length, filled in below

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

    bool consecutive = true;
    for (std::size_t i = 1; i < rows.size() && consecutive; ++i) {
        consecutive = store.BookmarkOf(rows[i]) == store.BookmarkOf(rows[0]) + static_cast<Bookmark>(i);
    }
    if (consecutive) {
        out.U8(0);
        out.U32(rows.empty() ? 1 : static_cast<std::uint32_t>(store.BookmarkOf(rows[0])));
    } else {
        out.U8(1);
        for (RowId r : rows) out.U32(static_cast<std::uint32_t>(store.BookmarkOf(r)));
    }
    std::uint8_t* st = out.Grow(rows.size());
    std::size_t modified = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        st[i] = static_cast<std::uint8_t>(store.StatusBits(rows[i]) & 7);
        if (st[i] & status::Modified) ++modified;
    }

    Bytes scratch;
    for (std::size_t f = 0; f < fields.size(); ++f) {
        WriteColumn(out, scratch, store.Col(static_cast<int>(f)), rows);
    }

    out.U32(static_cast<std::uint32_t>(modified));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!(store.StatusBits(rows[i]) & status::Modified)) continue;
        out.U32(static_cast<std::uint32_t>(i));
        scratch.clear();
        ByteWriter w(scratch);
        for (std::size_t f = 0; f < fields.size(); ++f) {
            w.Val(store.Original(rows[i], static_cast<int>(f)));
        }
        out.Raw(scratch.data(), scratch.size());
    }

    const std::uint64_t payload = out.Size() - kImageHeaderSize;
    for (int k = 0; k < 8; ++k) out.Data()[8 + k] = static_cast<std::uint8_t>(payload >> (8 * k));
    out.U32(Crc32c(out.Data(), out.Size()));
    return out.Take();
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
        throw Error(err::ObjectClosed, "Operation is not allowed when the object is closed: the "
                                       "stream to save into is closed.");
    }
    const ImageBuffer image = WriteImage(*view_->store, view_->ImageRows());
    stream.Write(image.data.get(), image.size);
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
