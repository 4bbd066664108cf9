#pragma once
// The record-set image: a self-delimiting, versioned, checksummed binary form of a row store's
// rows with their bookmarks, statuses and original values.
//
//   header   "HBRS", u16 major, u16 minor, u64 payload length
//   payload  fields (u32 count; name, u8 type, i32 size each), u32 rows, u64 next bookmark,
//            bookmarks (u8 mode: 0 = consecutive from a u32, 1 = a u32 per row),
//            a status byte per row, each column (u8 0 = all Null, or 1 = a presence bitmap then
//            the values present: 8 bytes per number, varint length + bytes per text, a tagged
//            value per variant), then the originals of modified rows (u32 count; u32 row and a
//            tagged value per field each). A newer minor version may append tagged sections
//            (u32 tag, u64 length, bytes), which older readers skip.
//   trailer  u32 CRC-32C of header and payload
// All numbers little-endian. A reader trusts no length or count: each is checked against the
// bytes that are left before anything is allocated for it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "records/row_store.h"

namespace records {

inline constexpr std::uint16_t kImageMajor = 1;
inline constexpr std::uint16_t kImageMinor = 0;
inline constexpr std::size_t kImageHeaderSize = 16;

struct ImageBuffer {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
};

// Writes the given rows (in that order) of the store.
ImageBuffer WriteImage(const RowStore& store, const std::vector<RowId>& rows);

// Reads one image from data; `consumed` is its length. Throws Error(err::BadImage).
std::shared_ptr<RowStore> ReadImage(const std::uint8_t* data, std::size_t size,
                                    std::size_t& consumed);

std::uint32_t Crc32c(const std::uint8_t* data, std::size_t n);

}  // namespace records
