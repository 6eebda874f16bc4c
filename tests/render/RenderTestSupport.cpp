#include "RenderTestSupport.h"

#include <array>

namespace tb::test {

namespace {

std::uint32_t crc32(const QByteArray& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian(std::uint32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFFu);
    return b;
}

QByteArray chunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type) + data;
    return bigEndian(static_cast<std::uint32_t>(data.size())) + typed + bigEndian(crc32(typed));
}

} // namespace

QByteArray pngHeaderClaiming(std::uint32_t width, std::uint32_t height)
{
    QByteArray ihdr = bigEndian(width) + bigEndian(height);
    ihdr += QByteArray("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA, deflate, no filter, no interlace
    // qCompress puts a 4-byte length before the zlib stream.
    const QByteArray rows = qCompress(QByteArray(4 * 64, '\0')).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", rows) + chunk("IEND", {});
}

} // namespace tb::test
