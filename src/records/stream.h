#pragma once
// A binary in-memory stream with a position, as record-set images and bag images travel in.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "records/value.h"

namespace records {

class RowStore;

// A stream's bytes as they stand, valid until the stream next changes; converts to Bytes (a copy).
class ByteView {
  public:
    using value_type = std::uint8_t;
    using const_iterator = const std::uint8_t*;
    using iterator = const_iterator;

    ByteView() = default;
    ByteView(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
    const std::uint8_t* data() const { return p_; }
    std::size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }
    const_iterator begin() const { return p_; }
    const_iterator end() const { return p_ + n_; }
    std::uint8_t operator[](std::size_t i) const { return p_[i]; }
    operator Bytes() const { return {begin(), end()}; }  // NOLINT(hicpp-explicit-conversions)

    friend bool operator==(ByteView a, ByteView b) {
        return a.n_ == b.n_ && (a.n_ == 0 || std::memcmp(a.p_, b.p_, a.n_) == 0);
    }
    friend bool operator==(ByteView a, const Bytes& b) { return a == ByteView(b.data(), b.size()); }

  private:
    const std::uint8_t* p_ = nullptr;
    std::size_t n_ = 0;
};

// A record-set image saved at the end of a stream is kept as the rows themselves (a snapshot
// sharing the record set's storage copy-on-write) until something needs its bytes: opening a
// record set from it shares the rows again instead of copying them twice. Every operation that
// reads, writes or exports bytes writes the image out first, so the stream's content is always
// exactly the image's bytes.
class Stream {
  public:
    Stream() = default;

    void Open();  // empty, position 0; error 3705 when already open
    void Close();
    bool IsOpen() const noexcept { return open_; }

    std::int64_t Size() const;
    std::int64_t Position() const;
    void SetPosition(std::int64_t pos);  // 0..Size()
    bool AtEnd() const { return Position() >= Size(); }
    void SetEOS();  // truncate at the position

    // Writes at the position, overwriting and extending; the position moves past what was written.
    void Write(const void* data, std::size_t n);
    void Write(const Bytes& data) { Write(data.data(), data.size()); }
    void Write(ByteView data) { Write(data.data(), data.size()); }
    // Room for n bytes at the position, to be written in place through the returned pointer
    // (valid until the next operation on the stream); the position moves past them. The caller
    // writes all of them: past the old end the room is not cleared first.
    std::uint8_t* Reserve(std::size_t n);
    // Reads up to n bytes (all remaining when n < 0); fewer at the end.
    Bytes Read(std::int64_t n = -1);
    // Copies from the position to the end (or n bytes) into dest at its position.
    void CopyTo(Stream& dest, std::int64_t n = -1);
    void Flush() {}

    // Replaces the content with the file's; error 53 when the file does not exist.
    void LoadFromFile(const std::string& path);
    // Writes the whole content; overwrite = false fails when the file exists.
    void SaveToFile(const std::string& path, bool overwrite = true) const;

    ByteView Buffer() const {
        WriteOutImage();
        return {data_, size_};
    }
    // The block holding the bytes, for a reader that keeps parts of them (an opened record set
    // shares its columns with the image): while it is shared, writing to the stream copies the
    // bytes first, so what was shared never changes.
    std::shared_ptr<const std::uint8_t[]> Owner() const {
        WriteOutImage();
        return block_;
    }

    // For the record set's Save and Open: an image of `rows` (all of them, in order) of `size`
    // bytes, written at the position when that is the end of the stream; false otherwise (the
    // caller writes the bytes). The position moves past it.
    bool PutImage(std::shared_ptr<const RowStore> rows, std::size_t size);
    // The rows of an image put at the position and not written out since; null when none.
    std::shared_ptr<const RowStore> ImageAt() const;
    std::size_t ImageSize() const { return imageSize_; }

  private:
    void RequireOpen() const;
    void Grow(std::size_t size) const;  // the content at least this long, not shared
    void WriteOutImage() const;         // the kept image becomes bytes at the end
    void DropImage() const;
    void Release() const;
    // The bytes: [data_, data_ + size_) in a block of capacity_ bytes that block_ owns (not
    // cleared when allocated: every byte up to size_ has been written).
    mutable std::shared_ptr<std::uint8_t[]> block_;
    mutable std::uint8_t* data_ = nullptr;
    mutable std::size_t size_ = 0;
    mutable std::size_t capacity_ = 0;
    std::size_t pos_ = 0;
    bool open_ = false;
    mutable std::shared_ptr<const RowStore> image_;  // kept at size_ when set
    mutable std::size_t imageSize_ = 0;
};

}  // namespace records
