#include "PhotoFile.h"

#include "model/UiServices.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace
{

// A file name held as bytes: UTF-8, or Latin-1 when the bytes are not UTF-8.
QString FileName(const std::string& path)
{
    const QByteArray bytes(path.data(), qsizetype(path.size()));
    QString name = QString::fromUtf8(bytes);
    if (name.toUtf8() != bytes)
        name = QString::fromLatin1(bytes);
    return name;
}

std::uint32_t U16(const uchar* d)
{
    return std::uint32_t(d[0]) | std::uint32_t(d[1]) << 8;
}

std::uint32_t U32(const uchar* d)
{
    return U16(d) | U16(d + 2) << 16;
}

// The size a BMP file has when its pixel data is all there, from its headers; 0 when
// the headers do not tell (too short, or a compression whose size is not given).
std::uint64_t BmpWholeSize(const uchar* d, std::uint64_t n)
{
    if (n < 30 || d[0] != 'B' || d[1] != 'M')
        return 0;
    const std::uint64_t pixels = U32(d + 10);
    const std::uint32_t header = U32(d + 14);
    if (header == 12) { // the old core header: 16-bit sizes, never compressed
        const std::uint64_t stride = (std::uint64_t(U16(d + 18)) * U16(d + 24) + 31) / 32 * 4;
        return pixels + stride * U16(d + 20);
    }
    if (header < 40 || n < 38)
        return 0;
    const std::int64_t width = std::int32_t(U32(d + 18));
    const std::int64_t height = std::int32_t(U32(d + 22));
    const std::uint32_t compression = U32(d + 30);
    if (compression == 0 || compression == 3 || compression == 6) { // rows as they are
        const std::uint64_t stride = (std::uint64_t(std::llabs(width)) * U16(d + 28) + 31) / 32 * 4;
        const std::uint64_t rows = std::uint64_t(std::llabs(height));
        // Sizes no file can have (the product overflows) tell nothing.
        return rows && stride > (UINT64_MAX - pixels) / rows ? 0 : pixels + stride * rows;
    }
    const std::uint64_t packed = U32(d + 34); // run-length data: its size when given
    return packed ? pixels + packed : 0;
}

// Whether a JPEG stream reaches its end-of-image marker: segments are skipped by their
// length, entropy-coded data byte by byte.
bool JpegReachesEnd(const uchar* d, std::uint64_t n)
{
    std::uint64_t i = 2;
    while (i + 1 < n) {
        if (d[i] != 0xFF) {
            ++i;
            continue;
        }
        const uchar marker = d[i + 1];
        if (marker == 0xD9)
            return true;
        if (marker == 0xFF) { // fill byte
            ++i;
        } else if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2; // a stuffed zero, a marker without length or a restart marker
        } else {
            if (i + 3 >= n)
                return false;
            i += 2 + (std::uint64_t(d[i + 2]) << 8 | d[i + 3]);
        }
    }
    return false;
}

struct Decoded {
    QImage image;
    QString error;
    bool incomplete = false;
};

QImage ReadImage(QImageReader& reader, int limitMB, QString* error)
{
    reader.setAllocationLimit(limitMB);
    QImage image = reader.read();
    if (image.isNull())
        *error = reader.errorString();
    return image;
}

// Decodes the photograph. A BMP cut short is decoded from its bytes padded with zeros to
// the size its headers give, so that every pixel is one the decoder wrote.
Decoded Decode(const QString& name, int limitMB)
{
    Decoded result;
    QFile file(name);
    const qint64 size = file.open(QIODevice::ReadOnly) ? file.size() : 0;
    const uchar* data = size > 0 ? file.map(0, size) : nullptr;
    if (data && data[0] == 0xFF && size > 1 && data[1] == 0xD8)
        result.incomplete = !JpegReachesEnd(data, std::uint64_t(size));
    const std::uint64_t whole = data ? BmpWholeSize(data, std::uint64_t(size)) : 0;
    if (whole > std::uint64_t(size)) {
        result.incomplete = true;
        if (whole - std::uint64_t(size) <= std::uint64_t(limitMB) << 20) {
            QByteArray bytes(reinterpret_cast<const char*>(data), size);
            bytes.append(QByteArray(qsizetype(whole - std::uint64_t(size)), '\0'));
            QBuffer buffer(&bytes);
            QImageReader reader(&buffer);
            result.image = ReadImage(reader, limitMB, &result.error);
            return result;
        }
    }
    file.close();
    QImageReader reader(name);
    result.image = ReadImage(reader, limitMB, &result.error);
    return result;
}

} // namespace

std::unique_ptr<PhotoFile> PhotoFile::Read(const std::string& path, int lowestLevel,
                                           int decoderLimitMB)
{
    UiServices& ui = UiServices::Current();
    Decoded decoded = Decode(FileName(path), decoderLimitMB);
    if (decoded.image.isNull()) {
        ui.MessageBox("The photo \"" + path + "\" cannot be read: " + decoded.error.toStdString() +
                      ".");
        return nullptr;
    }
    if (decoded.incomplete)
        ui.MessageBox("The photo \"" + path +
                      "\" is incomplete: the file ends before the picture does. It is shown as "
                      "far as it was read.");

    std::unique_ptr<PhotoFile> photo(new PhotoFile);
    photo->m_path = path;
    photo->m_incomplete = decoded.incomplete;
    if (!photo->AskResolution())
        return nullptr;
    if (!photo->m_pyramid.Build(std::move(decoded.image), lowestLevel)) {
        ui.MessageBox("There is not enough memory to hold the photo \"" + path + "\".");
        return nullptr;
    }
    return photo;
}

bool PhotoFile::AskResolution()
{
    UiServices& ui = UiServices::Current();
    DpiValues dpi;
    for (;;) {
        if (!ui.Ask(dpi))
            return false;
        if (dpi.horizontal >= kMinDpi && dpi.horizontal <= kMaxDpi && dpi.vertical >= kMinDpi &&
            dpi.vertical <= kMaxDpi)
            break;
        ui.MessageBox("Please enter a resolution from 1 to 10000 DPI.");
    }
    char text[96];
    std::snprintf(text, sizeof text, "You have sure the photo DPI is %d * %d", int(dpi.horizontal),
                  int(dpi.vertical));
    Question confirm{text};
    if (!ui.Ask(confirm))
        return false;
    m_resolutionX = dpi.horizontal;
    m_resolutionY = dpi.vertical;
    return true;
}
