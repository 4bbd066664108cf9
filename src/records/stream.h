#pragma once
// A binary in-memory stream with a position, as record-set images and bag images travel in.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "records/value.h"

namespace records {

class RowStore;

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
    // Room for n bytes at the position, to be written in place through the returned pointer
    // (valid until the next operation on the stream); the position moves past them. Bytes
    // beyond the old end read as zero until written.
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

    const Bytes& Buffer() const {
        WriteOutImage();
        return data_;
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
    void Grow(std::size_t size);  // the content at least this long
    void WriteOutImage() const;   // the kept image becomes bytes at the end
    void DropImage() const;
    mutable Bytes data_;
    std::size_t pos_ = 0;
    bool open_ = false;
    mutable std::shared_ptr<const RowStore> image_;  // kept at data_.size() when set
    mutable std::size_t imageSize_ = 0;
};

}  // namespace records
