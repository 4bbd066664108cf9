#pragma once
// A binary in-memory stream with a position, as record-set images and bag images travel in.

#include <cstddef>
#include <cstdint>
#include <string>

#include "records/value.h"

namespace records {

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
    // Reads exactly n bytes or throws error 3709 ("truncated") without moving.
    void ReadExact(void* out, std::size_t n);
    // Copies from the position to the end (or n bytes) into dest at its position.
    void CopyTo(Stream& dest, std::int64_t n = -1);
    void Flush() {}

    // Replaces the content with the file's; error 53 when the file does not exist.
    void LoadFromFile(const std::string& path);
    // Writes the whole content; overwrite = false fails when the file exists.
    void SaveToFile(const std::string& path, bool overwrite = true) const;

    const Bytes& Buffer() const { return data_; }

  private:
    void RequireOpen() const;
    void Grow(std::size_t size);  // the content at least this long
    Bytes data_;
    std::size_t pos_ = 0;
    bool open_ = false;
};

}  // namespace records
