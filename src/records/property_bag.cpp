#include "records/property_bag.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "records/errors.h"
#include "records/text_util.h"
#include "records/value_codec.h"

namespace records {

namespace {

// Image: "HBAG", version, count, then (name, value) pairs, then the CRC-32 of all before it.
constexpr char kMagic[4] = {'H', 'B', 'A', 'G'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderSize = 4 + 1 + 4;
constexpr std::size_t kChecksumSize = 4;
constexpr std::size_t kSmallestItem = 4 + 1;  // empty name, Empty value

[[noreturn]] void Bad(const std::string& what) {
    throw Error(err::BadImage, "Property bag image: " + what + ".");
}

}  // namespace

void PropertyBag::WriteProperty(std::string_view name, const Value& value,
                                const Value& defaultValue) {
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const auto& item) { return EqualsIgnoreCase(item.first, name); });
    if (value == defaultValue) {  // the default is what a reader gets anyway
        if (it != items_.end()) items_.erase(it);
        return;
    }
    if (it != items_.end()) {
        it->second = value;
    } else {
        items_.emplace_back(std::string(name), value);
    }
}

Value PropertyBag::ReadProperty(std::string_view name, const Value& defaultValue) const {
    for (const auto& [key, value] : items_) {
        if (EqualsIgnoreCase(key, name)) return value;
    }
    return defaultValue;
}

bool PropertyBag::Contains(std::string_view name) const {
    return std::any_of(items_.begin(), items_.end(),
                       [&](const auto& item) { return EqualsIgnoreCase(item.first, name); });
}

Bytes PropertyBag::Contents() const {
    Bytes out;
    ByteWriter w(out);
    w.Raw(kMagic, sizeof kMagic);
    w.U8(kVersion);
    w.U32(static_cast<std::uint32_t>(items_.size()));
    for (const auto& [name, value] : items_) {
        w.Str(name);
        w.Val(value);
    }
    w.U32(Crc32(out.data(), out.size()));
    return out;
}

void PropertyBag::SetContents(const Bytes& image) {
    if (image.size() < kHeaderSize + kChecksumSize) {
        Bad("truncated header (" + std::to_string(image.size()) + " bytes)");
    }
    if (std::memcmp(image.data(), kMagic, sizeof kMagic) != 0)
        Bad("not a property bag (bad magic)");
    ByteReader r(image.data() + sizeof kMagic, image.size() - sizeof kMagic);
    const std::uint8_t version = r.U8("version");
    if (version > kVersion) {
        Bad("version " + std::to_string(version) + " is newer than this program reads (" +
            std::to_string(kVersion) + ")");
    }
    if (version == 0) Bad("version 0 is not a valid version");
    const std::uint32_t count = r.U32("item count");
    if (count > (r.Remaining() - kChecksumSize) / kSmallestItem) {
        Bad("item count " + std::to_string(count) + " exceeds what the " +
            std::to_string(r.Remaining()) + " bytes left can hold (truncated or corrupt)");
    }

    std::vector<std::pair<std::string, Value>> items;
    items.reserve(count);
    std::unordered_set<std::string> seen;
    try {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::string where =
                "item " + std::to_string(i + 1) + " of " + std::to_string(count);
            std::string name = r.Str((where + ", name").c_str());
            if (!seen.insert(ToUpperAscii(name)).second) {
                Bad(std::string(where).append(" repeats the name \"").append(name).append("\""));
            }
            const std::string what =
                std::string(where).append(" (\"").append(name).append("\"), value");
            Value value = r.Val(what.c_str());
            items.emplace_back(std::move(name), std::move(value));
        }
        const std::size_t checkedSize = image.size() - r.Remaining();
        const std::uint32_t stored = r.U32("checksum");
        if (r.Remaining() != 0)
            Bad(std::to_string(r.Remaining()) + " trailing bytes after the checksum");
        if (stored != Crc32(image.data(), checkedSize)) Bad("checksum mismatch (image is corrupt)");
    } catch (const Error& e) {
        if (e.Description().rfind("Property bag image:", 0) == 0) throw;
        Bad(e.Description());  // a reader error: say which image it was in
    }
    items_ = std::move(items);
}

}  // namespace records
