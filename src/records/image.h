#pragma once
// The record-set image: a self-delimiting, versioned, checksummed binary form of a row store's
// rows with their bookmarks, statuses and original values.
//
//   header   "HBRS", u16 major, u16 minor, u64 payload length
//   payload  fields (u32 count; name, u8 type, i32 size each), u32 rows, u64 next bookmark,
//            bookmarks (u8 mode: 0 = consecutive from a u32, 1 = a u32 per row),
//            a status byte per row, then each column as blocks the store copies as they are:
//            u8 encoding (ImageColumn); unless all Null, zeros up to a multiple of 8 bytes from
//            the image's start, the presence bitmap in u64 words, then
//            a slot per row (Null cells hold 0, or an empty inline text): 4-byte whole numbers,
//            8-byte numbers and reals, or 4-byte text slots (inline, or a pool reference: chunk
//            << 16 | offset) followed by the text pool (u32 chunk count, u32 size each, then
//            the chunks: varint length + bytes per text); variants as a u64 length and a
//            tagged value per present cell. Then the originals of modified rows (u32 count;
//            u32 row and a tagged value per field each). A newer minor version may append
//            tagged sections (u32 tag, u64 length, bytes), which older readers skip.
//   trailer  u32 CRC-32C of header and payload
// All numbers little-endian. A reader trusts no length or count: each is checked against the
// bytes that are left before anything is allocated for it.
//
// Because the blocks are aligned and hold exactly what a column holds (Null cells 0 or the empty
// inline text, no negative zero, no padding inside a text pool), a reader given the owner of the
// bytes keeps the slot segments and text chunks where they are instead of copying them; the
// columns copy a block before they first write to it. Version 2 had no padding and allowed
// anything in a Null cell's slot; it is still read (by copying).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "records/row_store.h"

namespace records {

inline constexpr std::uint16_t kImageMajor = 3;
inline constexpr std::uint16_t kImageOldestMajor = 2;  // 1: values one by one, row-wise
inline constexpr std::uint16_t kImageMinor = 0;
inline constexpr std::size_t kImageHeaderSize = 16;

// How a column's cells are written.
enum class ImageColumn : std::uint8_t {
    AllNull = 0,
    Whole32 = 1,
    Bits64 = 2,
    Texts = 3,
    Tagged = 4
};

// Writes the image of every row of a store, in order, into dst; `size` is the length it was
// measured to have (error 3001 when it is not).
void WriteWholeImage(const RowStore& store, std::uint8_t* dst, std::size_t size);

// What keeps an image's bytes alive, so that the store read from it may keep parts of them.
using ImageOwner = std::shared_ptr<const std::uint8_t[]>;

// Reads one image from data; `consumed` is its length. With an owner, the store keeps the
// column blocks of a version 3 image where they are (the owner's bytes must not change while
// it is shared); without, it copies them. Throws Error(err::BadImage).
std::shared_ptr<RowStore> ReadImage(const std::uint8_t* data, std::size_t size,
                                    std::size_t& consumed, const ImageOwner& owner = nullptr);

}  // namespace records
