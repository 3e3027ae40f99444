#include "platform/BitmapImage.h"

#include "platform/Error.h"

#include <QByteArray>

#include <cstdint>
#include <string>

namespace zev {

namespace {

constexpr std::size_t FileHeaderSize = 14;
// BITMAPCOREHEADER: 16-bit sizes, 3-byte palette entries.
constexpr std::uint32_t CoreHeaderSize = 12;

enum Compression : std::uint32_t
{
    Rgb = 0,
    Rle8 = 1,
    Rle4 = 2,
    BitFields = 3,
};

[[noreturn]] void ThrowInvalid(const std::string& reason)
{
    throw EConvertError("Imagem BMP inválida: " + reason);
}

std::uint32_t Unsigned(std::string_view bytes, std::size_t at, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

struct TInfo
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t planes = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = Rgb;
    std::uint32_t colorsUsed = 0;
};

TInfo ReadInfo(std::string_view bytes, std::uint32_t headerSize)
{
    const std::size_t at = FileHeaderSize;
    TInfo info;
    if (headerSize == CoreHeaderSize) {
        info.width = Unsigned(bytes, at + 4, 2);
        info.height = Unsigned(bytes, at + 6, 2);
        info.planes = Unsigned(bytes, at + 8, 2);
        info.bitCount = Unsigned(bytes, at + 10, 2);
        return info;
    }
    info.width = static_cast<std::int32_t>(Unsigned(bytes, at + 4, 4));
    info.height = static_cast<std::int32_t>(Unsigned(bytes, at + 8, 4));
    info.planes = Unsigned(bytes, at + 12, 2);
    info.bitCount = Unsigned(bytes, at + 14, 2);
    info.compression = Unsigned(bytes, at + 16, 4);
    info.colorsUsed = Unsigned(bytes, at + 32, 4);
    return info;
}

void Check(std::string_view bytes)
{
    if (bytes.size() < FileHeaderSize + CoreHeaderSize || bytes.substr(0, 2) != "BM")
        ThrowInvalid("não é um arquivo de bitmap");
    const std::uint32_t dataOffset = Unsigned(bytes, 10, 4);
    const std::uint32_t headerSize = Unsigned(bytes, FileHeaderSize, 4);
    if (headerSize != CoreHeaderSize && headerSize != 40 && headerSize != 52 && headerSize != 56 &&
        headerSize != 64 && headerSize != 108 && headerSize != 124)
        ThrowInvalid("cabeçalho de tamanho desconhecido (" + std::to_string(headerSize) + ")");
    if (FileHeaderSize + headerSize > bytes.size() || dataOffset > bytes.size())
        ThrowInvalid("os dados terminam antes do fim do cabeçalho");

    const TInfo info = ReadInfo(bytes, headerSize);
    const std::int64_t height = info.height < 0 ? -info.height : info.height;
    if (info.width <= 0 || height == 0)
        ThrowInvalid("largura ou altura zero");
    if (info.width * height > MaxBitmapPixels)
        ThrowInvalid("grande demais (" + std::to_string(info.width) + " × " +
                     std::to_string(height) + " pixels)");
    if (info.planes != 1)
        ThrowInvalid("número de planos " + std::to_string(info.planes));

    const std::uint32_t bits = info.bitCount;
    const bool paletted = bits == 1 || bits == 4 || bits == 8;
    if (!paletted && bits != 16 && bits != 24 && bits != 32)
        ThrowInvalid(std::to_string(bits) + " bits por pixel");
    const bool compressionFits = info.compression == Rgb ||
                                 (info.compression == Rle8 && bits == 8) ||
                                 (info.compression == Rle4 && bits == 4) ||
                                 (info.compression == BitFields && (bits == 16 || bits == 32));
    if (!compressionFits)
        ThrowInvalid("compressão " + std::to_string(info.compression) + " com " +
                     std::to_string(bits) + " bits por pixel");
    if (paletted && info.colorsUsed > (1U << bits))
        ThrowInvalid("paleta de " + std::to_string(info.colorsUsed) + " cores para " +
                     std::to_string(bits) + " bits por pixel");
    // Uncompressed rows have a known size: a file cut short is no picture
    // (compressed ones are checked as they are read).
    if (info.compression == Rgb || info.compression == BitFields) {
        const std::int64_t rowBytes = (info.width * bits + 31) / 32 * 4;
        if (dataOffset + rowBytes * height > static_cast<std::int64_t>(bytes.size()))
            ThrowInvalid("os dados terminam antes do fim da imagem");
    }
}

} // namespace

QImage DecodeBitmap(std::string_view bytes)
{
    Check(bytes);
    QImage image = QImage::fromData(
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())), "BMP");
    if (image.isNull())
        ThrowInvalid("os dados da imagem estão danificados");
    return image;
}

} // namespace zev
