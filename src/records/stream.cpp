#include "records/stream.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "records/errors.h"
#include "records/huge_pages.h"
#include "records/image.h"

namespace records {

void Stream::RequireOpen() const {
    if (!open_)
        throw Error(err::ObjectClosed, "Operation is not allowed when the stream is closed.");
}

void Stream::Open() {
    if (open_) throw Error(err::ObjectOpen, "Operation is not allowed when the stream is open.");
    Release();
    DropImage();
    pos_ = 0;
    open_ = true;
}

void Stream::Close() {
    RequireOpen();
    DropImage();
    Release();
    pos_ = 0;
    open_ = false;
}

void Stream::Release() const {
    block_.reset();
    data_ = nullptr;
    size_ = capacity_ = 0;
}

std::int64_t Stream::Size() const {
    RequireOpen();
    return static_cast<std::int64_t>(size_ + (image_ ? imageSize_ : 0));
}

std::int64_t Stream::Position() const {
    RequireOpen();
    return static_cast<std::int64_t>(pos_);
}

void Stream::SetPosition(std::int64_t pos) {
    RequireOpen();
    if (pos < 0 || pos > Size()) {
        throw Error(err::InvalidArgument, "Stream position " + std::to_string(pos) +
                                              " is outside 0.." + std::to_string(Size()) + ".");
    }
    pos_ = static_cast<std::size_t>(pos);
}

void Stream::SetEOS() {
    RequireOpen();
    if (image_ && pos_ <= size_) {
        DropImage();  // cut off before the image: it never needs to be written
    } else {
        WriteOutImage();
    }
    size_ = std::min(size_, pos_);  // what is cut off stays as it was for whoever shares it
}

bool Stream::PutImage(std::shared_ptr<const RowStore> rows, std::size_t size) {
    RequireOpen();
    if (image_ || pos_ != size_) return false;
    image_ = std::move(rows);
    imageSize_ = size;
    pos_ += size;
    return true;
}

std::shared_ptr<const RowStore> Stream::ImageAt() const {
    RequireOpen();
    return image_ && pos_ == size_ ? image_ : nullptr;
}

void Stream::DropImage() const {
    image_.reset();
    imageSize_ = 0;
}

void Stream::WriteOutImage() const {
    if (!image_) return;
    // On failure the image stays kept and the bytes before it as they were.
    const std::size_t at = size_;
    Grow(at + imageSize_);
    try {
        WriteWholeImage(*image_, data_ + at, imageSize_);
    } catch (...) {
        size_ = at;
        throw;
    }
    DropImage();
}

void Stream::Write(const void* data, std::size_t n) {
    RequireOpen();
    WriteOutImage();
    if (n == 0) return;
    const auto* p = static_cast<const std::uint8_t*>(data);
    const std::less<> before;  // a total order over pointers, also into other buffers
    if (!before(p, data_) && before(p, data_ + size_)) {
        const Bytes copy(p, p + n);  // writing part of itself: growing may move the buffer
        Write(copy.data(), copy.size());
        return;
    }
    Grow(pos_ + n);
    std::memcpy(data_ + pos_, p, n);
    pos_ += n;
}

void Stream::Grow(std::size_t size) const {
    const bool shared = block_ && block_.use_count() > 1;
    if (size > capacity_ || shared || !block_) {
        // a block of its own, not cleared: the bytes up to size_ are copied, the rest is
        // written before it is read
        std::size_t cap = std::max<std::size_t>(capacity_, 64);
        if (size > cap) cap = std::max(size, 2 * capacity_);
        std::shared_ptr<std::uint8_t[]> block(
            new std::uint8_t[cap + HugePageSpare<std::uint8_t>(cap)]);
        std::uint8_t* start = HugePageStart(block.get(), cap);
        if (size_ > 0) std::memcpy(start, data_, size_);
        block_ = std::move(block);
        data_ = start;
        capacity_ = cap;
    }
    size_ = std::max(size_, size);
}

std::uint8_t* Stream::Reserve(std::size_t n) {
    RequireOpen();
    WriteOutImage();
    Grow(pos_ + n);
    std::uint8_t* at = data_ + pos_;
    pos_ += n;
    return at;
}

Bytes Stream::Read(std::int64_t n) {
    RequireOpen();
    WriteOutImage();
    const std::size_t left = size_ - pos_;
    const std::size_t take = n < 0 ? left : std::min(left, static_cast<std::size_t>(n));
    Bytes out(data_ + pos_, data_ + pos_ + take);
    pos_ += take;
    return out;
}

void Stream::CopyTo(Stream& dest, std::int64_t n) {
    RequireOpen();
    dest.RequireOpen();
    WriteOutImage();
    const std::size_t left = size_ - pos_;
    const std::size_t take = n < 0 ? left : std::min(left, static_cast<std::size_t>(n));
    // onto itself, Write copies the part first: growing may move the buffer
    const std::size_t from = pos_;
    pos_ += take;
    dest.Write(data_ + from, take);
}

void Stream::LoadFromFile(const std::string& path) {
    RequireOpen();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw Error(err::FileNotFound, "File not found: " + path);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error(err::FileOpenFailed, "File could not be opened: " + path);
    const Bytes content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Error(err::FileOpenFailed, "File could not be read: " + path);
    DropImage();
    Release();
    pos_ = 0;
    Write(content);
    pos_ = 0;
}

void Stream::SaveToFile(const std::string& path, bool overwrite) const {
    RequireOpen();
    WriteOutImage();
    std::error_code ec;
    if (!overwrite && std::filesystem::exists(path, ec)) {
        throw Error(err::FileWriteFailed, "Write to file failed: " + path + " already exists.");
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(data_), static_cast<std::streamsize>(size_));
    out.close();
    if (!out) throw Error(err::FileWriteFailed, "Write to file failed: " + path);
}

}  // namespace records
