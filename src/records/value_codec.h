#pragma once
// Binary encoding of values and the pieces of stream images (little-endian, length-prefixed).
// Shared by the record-set image and the property-bag image. A reader trusts nothing: every
// length is checked against what is left before anything is allocated.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "records/value.h"

namespace records {

class ByteWriter {
  public:
    explicit ByteWriter(Bytes& out) : out_(out) {}
    void U8(std::uint8_t v);
    void U32(std::uint32_t v);
    void I64(std::int64_t v);
    void F64(double v);
    void Str(std::string_view s);  // u32 length + bytes
    void Val(const Value& v);      // type tag + payload
    void Raw(const void* data, std::size_t n);
    std::size_t Size() const { return out_.size(); }
    Bytes& Buffer() { return out_; }

  private:
    Bytes& out_;
};

// Reads from [data, data + size). Every failure throws Error(err::BadImage, what) naming the
// piece that was truncated or malformed.
class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
    std::uint8_t U8(const char* what);
    std::uint32_t U32(const char* what);
    std::int64_t I64(const char* what);
    double F64(const char* what);
    std::string Str(const char* what);
    Value Val(const char* what);
    void Raw(void* out, std::size_t n, const char* what);
    std::size_t Remaining() const { return static_cast<std::size_t>(end_ - p_); }
    const std::uint8_t* Here() const { return p_; }

  private:
    void Need(std::size_t n, const char* what) const;
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

// Checksums of a byte range: CRC-32 (IEEE) for property bag images, CRC-32C (Castagnoli, the
// processor's instruction where there is one) for record-set images.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t n);
// `previous`: the checksum of the bytes before these, which the result then covers too.
std::uint32_t Crc32c(const std::uint8_t* data, std::size_t n, std::uint32_t previous = 0);

}  // namespace records
