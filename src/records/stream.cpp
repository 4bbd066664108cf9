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
    data_.clear();
    DropImage();
    pos_ = 0;
    open_ = true;
}

void Stream::Close() {
    RequireOpen();
    DropImage();
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
    open_ = false;
}

std::int64_t Stream::Size() const {
    RequireOpen();
    return static_cast<std::int64_t>(data_.size() + (image_ ? imageSize_ : 0));
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
    if (image_ && pos_ <= data_.size()) {
        DropImage();  // cut off before the image: it never needs to be written
    } else {
        WriteOutImage();
    }
    data_.resize(pos_);
}

bool Stream::PutImage(std::shared_ptr<const RowStore> rows, std::size_t size) {
    RequireOpen();
    if (image_ || pos_ != data_.size()) return false;
    image_ = std::move(rows);
    imageSize_ = size;
    pos_ += size;
    return true;
}

std::shared_ptr<const RowStore> Stream::ImageAt() const {
    RequireOpen();
    return image_ && pos_ == data_.size() ? image_ : nullptr;
}

void Stream::DropImage() const {
    image_.reset();
    imageSize_ = 0;
}

void Stream::WriteOutImage() const {
    if (!image_) return;
    // On failure the image stays kept and the bytes before it as they were.
    const std::size_t at = data_.size();
    if (at + imageSize_ > data_.capacity()) {
        data_.reserve(at + imageSize_);
        AdviseHugePages(data_.data(), data_.capacity());
    }
    data_.resize(at + imageSize_);
    try {
        WriteWholeImage(*image_, data_.data() + at, imageSize_);
    } catch (...) {
        data_.resize(at);
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
    if (!before(p, data_.data()) && before(p, data_.data() + data_.size())) {
        const Bytes copy(p, p + n);  // writing part of itself: growing may move the buffer
        Write(copy.data(), copy.size());
        return;
    }
    Grow(pos_ + n);
    std::memcpy(data_.data() + pos_, p, n);
    pos_ += n;
}

void Stream::Grow(std::size_t size) {
    if (size <= data_.size()) return;
    if (size > data_.capacity()) {
        data_.reserve(std::max(size, 2 * data_.capacity()));
        AdviseHugePages(data_.data(), data_.capacity());  // before the new bytes are touched
    }
    data_.resize(size);
}

std::uint8_t* Stream::Reserve(std::size_t n) {
    RequireOpen();
    WriteOutImage();
    Grow(pos_ + n);
    std::uint8_t* at = data_.data() + pos_;
    pos_ += n;
    return at;
}

Bytes Stream::Read(std::int64_t n) {
    RequireOpen();
    WriteOutImage();
    const std::size_t left = data_.size() - pos_;
    const std::size_t take = n < 0 ? left : std::min(left, static_cast<std::size_t>(n));
    const auto first = data_.begin() + static_cast<std::ptrdiff_t>(pos_);
    Bytes out(first, first + static_cast<std::ptrdiff_t>(take));
    pos_ += take;
    return out;
}

void Stream::CopyTo(Stream& dest, std::int64_t n) {
    RequireOpen();
    dest.RequireOpen();
    WriteOutImage();
    const std::size_t left = data_.size() - pos_;
    const std::size_t take = n < 0 ? left : std::min(left, static_cast<std::size_t>(n));
    if (&dest == this) {  // copying onto itself: go through a copy, the buffer may move
        const Bytes chunk(data_.begin() + static_cast<std::ptrdiff_t>(pos_),
                          data_.begin() + static_cast<std::ptrdiff_t>(pos_ + take));
        pos_ += take;
        Write(chunk);
        return;
    }
    dest.Write(data_.data() + pos_, take);
    pos_ += take;
}

void Stream::LoadFromFile(const std::string& path) {
    RequireOpen();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw Error(err::FileNotFound, "File not found: " + path);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error(err::FileOpenFailed, "File could not be opened: " + path);
    Bytes content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Error(err::FileOpenFailed, "File could not be read: " + path);
    DropImage();
    data_ = std::move(content);
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
    if (out)
        out.write(reinterpret_cast<const char*>(data_.data()),
                  static_cast<std::streamsize>(data_.size()));
    out.close();
    if (!out) throw Error(err::FileWriteFailed, "Write to file failed: " + path);
}

}  // namespace records
