#include "records/value_codec.h"

#include <array>
#include <bit>
#include <cstring>

#include "records/errors.h"

namespace records {

namespace {

[[noreturn]] void Malformed(const char* what, const std::string& detail) {
    throw Error(err::BadImage, std::string(what) + " is malformed (" + detail + ")");
}

}  // namespace

// --- ByteWriter

void ByteWriter::U8(std::uint8_t v) {
    out_.push_back(v);
}

void ByteWriter::U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void ByteWriter::I64(std::int64_t v) {
    const auto u = static_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) out_.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

void ByteWriter::F64(double v) {
    I64(static_cast<std::int64_t>(std::bit_cast<std::uint64_t>(v)));
}

void ByteWriter::Str(std::string_view s) {
    if (s.size() > 0xFFFFFFFFu) throw Error(err::Overflow, "text too long for an image");
    U32(static_cast<std::uint32_t>(s.size()));
    Raw(s.data(), s.size());
}

void ByteWriter::Raw(const void* data, std::size_t n) {
    if (n == 0) return;
    const auto* p = static_cast<const std::uint8_t*>(data);
    out_.insert(out_.end(), p, p + n);
}

void ByteWriter::Val(const Value& v) {
    U8(static_cast<std::uint8_t>(v.type()));
    switch (v.type()) {
        case Value::Type::Empty:
        case Value::Type::Null:
            break;
        case Value::Type::Boolean:
            U8(v.boolean() ? 1 : 0);
            break;
        case Value::Type::Long:
            I64(v.whole());
            break;
        case Value::Type::Double:
            F64(v.real());
            break;
        case Value::Type::Currency:
            I64(v.currency().units);
            break;
        case Value::Type::Date:
            F64(v.date().serial);
            break;
        case Value::Type::Text:
            Str(v.text());
            break;
        case Value::Type::Bytes:
            if (v.bytes().size() > 0xFFFFFFFFu) {
                throw Error(err::Overflow, "byte array too long for an image");
            }
            U32(static_cast<std::uint32_t>(v.bytes().size()));
            Raw(v.bytes().data(), v.bytes().size());
            break;
    }
}

// --- ByteReader

void ByteReader::Need(std::size_t n, const char* what) const {
    if (n > Remaining()) {
        throw Error(err::BadImage, std::string(what) + " is truncated (" + std::to_string(n) +
                                       " bytes needed, " + std::to_string(Remaining()) + " left)");
    }
}

void ByteReader::Raw(void* out, std::size_t n, const char* what) {
    Need(n, what);
    if (n > 0) std::memcpy(out, p_, n);
    p_ += n;
}

std::uint8_t ByteReader::U8(const char* what) {
    Need(1, what);
    return *p_++;
}

std::uint32_t ByteReader::U32(const char* what) {
    Need(4, what);
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(p_[i]) << (8 * i);
    p_ += 4;
    return v;
}

std::int64_t ByteReader::I64(const char* what) {
    Need(8, what);
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(p_[i]) << (8 * i);
    p_ += 8;
    return static_cast<std::int64_t>(v);
}

double ByteReader::F64(const char* what) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(I64(what)));
}

std::string ByteReader::Str(const char* what) {
    const std::uint32_t n = U32(what);
    Need(n, what);  // before allocating: a length can claim anything
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    return s;
}

Value ByteReader::Val(const char* what) {
    const std::uint8_t tag = U8(what);
    switch (static_cast<Value::Type>(tag)) {
        case Value::Type::Empty:
            return Value();
        case Value::Type::Null:
            return Value::Null();
        case Value::Type::Boolean: {
            const std::uint8_t b = U8(what);
            if (b > 1) Malformed(what, "Boolean byte " + std::to_string(b));
            return Value(b == 1);
        }
        case Value::Type::Long:
            return Value(static_cast<long long>(I64(what)));
        case Value::Type::Double:
            return Value(F64(what));
        case Value::Type::Currency:
            return Value(Currency{I64(what)});
        case Value::Type::Date:
            return Value(Date{F64(what)});
        case Value::Type::Text:
            return Value(Str(what));
        case Value::Type::Bytes: {
            const std::uint32_t n = U32(what);
            Need(n, what);
            Bytes b(p_, p_ + n);
            p_ += n;
            return Value(std::move(b));
        }
    }
    Malformed(what, "unknown value type " + std::to_string(tag));
}

// --- checksums: CRC-32 (IEEE 802.3) and CRC-32C (Castagnoli), both reflected

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable(std::uint32_t polynomial) {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? polynomial ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}
constexpr auto kCrc32Table = MakeCrcTable(0xEDB88320u);
constexpr auto kCrc32cTable = MakeCrcTable(0x82F63B78u);

std::uint32_t CrcByTable(const std::array<std::uint32_t, 256>& table, const std::uint8_t* p,
                         std::size_t n, std::uint32_t previous = 0) {
    std::uint32_t c = ~previous;
    for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFFu] ^ (c >> 8);
    return ~c;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// CRC-32C by the processor's instruction, on the running register c (not inverted).
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

// The instruction takes three cycles but can start every cycle: three stretches of kCrcStretch
// bytes are run side by side and joined. Running a register c over n zero bytes is linear in c;
// CrcShift applies it for kCrcStretch bytes, through a table per byte of c.
constexpr std::size_t kCrcStretch = 8192;

struct CrcShift {
    std::array<std::array<std::uint32_t, 256>, 4> table{};
    CrcShift() {
        static const std::uint8_t zeros[kCrcStretch] = {};
        std::array<std::uint32_t, 32> bit{};
        for (int i = 0; i < 32; ++i) bit[i] = Crc32cHardware(1u << i, zeros, kCrcStretch);
        for (int k = 0; k < 4; ++k) {
            for (unsigned b = 0; b < 256; ++b) {
                std::uint32_t v = 0;
                for (int j = 0; j < 8; ++j) {
                    if (b & (1u << j)) v ^= bit[8 * k + j];
                }
                table[k][b] = v;
            }
        }
    }
    std::uint32_t operator()(std::uint32_t c) const {
        return table[0][c & 0xFFu] ^ table[1][(c >> 8) & 0xFFu] ^ table[2][(c >> 16) & 0xFFu] ^
               table[3][c >> 24];
    }
};

__attribute__((target("sse4.2"))) std::uint32_t Crc32cHardware3(const std::uint8_t* p,
                                                                std::size_t n,
                                                                std::uint32_t previous) {
    static const CrcShift shift;
    std::uint32_t c = ~previous;
    while (n >= 3 * kCrcStretch) {
        std::uint64_t a = c, b = 0, d = 0;
        const std::uint8_t* pb = p + kCrcStretch;
        const std::uint8_t* pd = p + 2 * kCrcStretch;
        for (std::size_t i = 0; i < kCrcStretch; i += 8) {
            std::uint64_t va, vb, vd;
            std::memcpy(&va, p + i, 8);
            std::memcpy(&vb, pb + i, 8);
            std::memcpy(&vd, pd + i, 8);
            a = __builtin_ia32_crc32di(a, va);
            b = __builtin_ia32_crc32di(b, vb);
            d = __builtin_ia32_crc32di(d, vd);
        }
        // the register after the first stretch run on over the second, then the third
        c = shift(shift(static_cast<std::uint32_t>(a)) ^ static_cast<std::uint32_t>(b)) ^
            static_cast<std::uint32_t>(d);
        p += 3 * kCrcStretch;
        n -= 3 * kCrcStretch;
    }
    return ~Crc32cHardware(c, p, n);
}
#endif

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t n) {
    return CrcByTable(kCrc32Table, data, n);
}

std::uint32_t Crc32c(const std::uint8_t* data, std::size_t n, std::uint32_t previous) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool hardware = __builtin_cpu_supports("sse4.2");
    if (hardware) return Crc32cHardware3(data, n, previous);
#endif
    return CrcByTable(kCrc32cTable, data, n, previous);
}

}  // namespace records
