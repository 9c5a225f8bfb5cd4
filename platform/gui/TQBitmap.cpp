#include "platform/gui/TQBitmap.h"

#include "platform/gui/TQQtCanvas.h"
#include "platform/core/TQFiles.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QBuffer>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr QImage::Format kFormat = QImage::Format_RGB32;

QImage MakeImage(int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    QImage img(width, height, kFormat);
    if (!img.isNull())
        img.fill(Qt::white);
    return img;
}

// Nearer of black and white, by luminance.
void ToBlackAndWhite(QImage& img) {
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            QRgb c = line[x];
            int lum = (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
            line[x] = lum >= 128 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        }
    }
}

uint32_t Le32(const QByteArray& b, int at) {
    auto u = [&](int i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[at + i])); };
    return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

// Whether the file holds the whole picture its header announces. The image
// readers fill a cut-off picture with grey or black and call it a success.
bool Complete(QFile& file, const QByteArray& format) {
    qint64 size = file.size();
    if (format == "bmp") {
        QByteArray h = file.peek(54);
        if (h.size() < 34)
            return false;
        uint32_t offBits = Le32(h, 10), headerSize = Le32(h, 14);
        if (headerSize < 40)
            return true; // an old OS/2 header: left to the reader
        int64_t width = static_cast<int32_t>(Le32(h, 18));
        int64_t height = static_cast<int32_t>(Le32(h, 22));
        int bits = static_cast<unsigned char>(h[28]) | (static_cast<unsigned char>(h[29]) << 8);
        uint32_t compression = Le32(h, 30);
        if (compression != 0 && compression != 3)
            return true; // run-length coded: no fixed size
        int64_t stride = ((std::abs(width) * bits + 31) / 32) * 4;
        return size >= static_cast<int64_t>(offBits) + stride * std::abs(height);
    }
    // JPEG: the end-of-image marker near the end of the file.
    qint64 tail = std::min<qint64>(size, 4096);
    if (!file.seek(size - tail))
        return false;
    QByteArray t = file.read(tail);
    file.seek(0);
    return t.contains(QByteArray("\xFF\xD9", 2));
}

} // namespace

struct TBitmap::Impl {
    QImage image;
    TQtCanvas canvas{&image};
    uint64_t changes = 0;
    bool transparent = false;
    TTransparentMode mode = tmAuto;
    TColor fixedColor = clWhite;
    bool monochrome = false;

    // The monochrome conversion last applied (changes counter).
    uint64_t monoDoneAt = ~uint64_t(0);
    // The picture with transparent pixels cleared, for drawing.
    QImage drawImage;
    uint64_t drawImageAt = ~uint64_t(0);
    TColor drawImageColor = -1;
    bool drawImageTransparent = false;

    Impl() { canvas.SetChangeCounter(&changes); }

    // Makes the image fit the monochrome setting after drawing.
    void Settle() {
        if (!monochrome || monoDoneAt == changes)
            return;
        canvas.End();
        if (!image.isNull())
            ToBlackAndWhite(image);
        ++changes;
        monoDoneAt = changes;
    }
    void Replace(QImage img) {
        canvas.End();
        image = std::move(img);
        ++changes;
    }
};

TBitmap::TBitmap() : d(std::make_unique<Impl>()) {}

TBitmap::TBitmap(int width, int height) : TBitmap() {
    SetSize(width, height);
}

TBitmap::TBitmap(const TBitmap& other) : TBitmap() {
    Assign(other);
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    Assign(other);
    return *this;
}

TBitmap::~TBitmap() = default;

int TBitmap::Width() const {
    return d->image.width();
}
int TBitmap::Height() const {
    return d->image.height();
}
bool TBitmap::Empty() const {
    return d->image.isNull() || d->image.width() == 0 || d->image.height() == 0;
}

bool TBitmap::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return true;
    if (width == 0 || height == 0) {
        d->Replace(QImage());
        return true;
    }
    QImage img = MakeImage(width, height);
    if (img.isNull())
        return false;
    d->canvas.End();
    if (!d->image.isNull()) {
        int w = std::min(width, d->image.width()), h = std::min(height, d->image.height());
        for (int y = 0; y < h; ++y)
            std::memcpy(img.scanLine(y), d->image.constScanLine(y), static_cast<size_t>(w) * 4);
    }
    d->Replace(std::move(img));
    return true;
}

TCanvas& TBitmap::Canvas() {
    return d->canvas;
}

bool TBitmap::LoadFromFile(const std::string& path) {
    // Only a regular file: a FIFO or device named as a picture would block.
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    QByteArray format = reader.format().toLower();
    if (format == "jpg")
        format = "jpeg";
    if ((format != "bmp" && format != "jpeg") || !Complete(file, format))
        return false;
    QImage img;
    if (!reader.read(&img) || img.isNull())
        return false;
    img = img.convertToFormat(kFormat);
    if (img.isNull())
        return false;
    d->Replace(std::move(img));
    if (d->monochrome)
        d->Settle();
    return true;
}

bool EncodeImageFile(const QImage& image, TImageFormat format, bool blackAndWhite, int jpegQuality,
                     std::string& bytes) {
    const bool jpeg = format == TImageFormat::Jpeg;
    const QImage out = !blackAndWhite ? image
                       : jpeg         ? image.convertToFormat(QImage::Format_Grayscale8)
                                      : image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    if (out.isNull())
        return false;
    QByteArray data;
    QBuffer buffer(&data); // in memory: the caller writes the bytes through the safe replacement of files
    if (!buffer.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&buffer, jpeg ? "jpeg" : "bmp");
    if (jpeg && jpegQuality >= 0)
        writer.setQuality(std::min(jpegQuality, 100));
    if (!writer.write(out))
        return false;
    buffer.close();
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}

bool TBitmap::SaveToFile(const std::string& path, TImageFormat format, int jpegQuality,
                         bool greyscale) const {
    if (Empty())
        return false;
    d->Settle();
    // Made in memory, then written through the safe replacement of files.
    std::string bytes;
    return EncodeImageFile(d->image, format, format == TImageFormat::Bmp ? d->monochrome : greyscale,
                           std::clamp(jpegQuality, 0, 100), bytes) &&
           WriteFileAtomic(path, bytes);
}

bool TBitmap::Transparent() const {
    return d->transparent;
}
void TBitmap::SetTransparent(bool transparent) {
    d->transparent = transparent;
}
TTransparentMode TBitmap::TransparentMode() const {
    return d->mode;
}
void TBitmap::SetTransparentMode(TTransparentMode mode) {
    d->mode = mode;
}

TColor TBitmap::TransparentColor() const {
    if (d->mode == tmFixed)
        return d->fixedColor;
    if (Empty())
        return clWhite;
    return Pixel(0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    d->fixedColor = color & 0xFFFFFF;
    d->mode = tmFixed;
}

bool TBitmap::Monochrome() const {
    return d->monochrome;
}

void TBitmap::SetMonochrome(bool monochrome) {
    if (d->monochrome == monochrome)
        return;
    d->monochrome = monochrome;
    d->monoDoneAt = ~uint64_t(0);
    if (monochrome)
        d->Settle();
}

TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return -1;
    d->Settle();
    return QRgbToTColor(d->image.pixel(x, y));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    d->canvas.SetPixel(x, y, color);
}

void TBitmap::Assign(const TBitmap& other) {
    if (&other == this)
        return;
    other.d->Settle();
    d->Replace(other.d->image.copy());
    d->transparent = other.d->transparent;
    d->mode = other.d->mode;
    d->fixedColor = other.d->fixedColor;
    d->monochrome = other.d->monochrome;
    d->monoDoneAt = d->changes;
}

const QImage& TBitmap::Image() const {
    d->Settle();
    return d->image;
}

void TBitmap::SetImage(const QImage& image) {
    // A deep copy: the canvas paints into this image's memory.
    QImage img = image.isNull() ? QImage() : image.convertToFormat(kFormat).copy();
    d->Replace(std::move(img));
    d->monoDoneAt = ~uint64_t(0);
    d->Settle();
}

const QImage& TBitmap::ImageForDrawing() const {
    d->Settle();
    // A picture still being painted on would be copied whole by every reader
    // (Qt copies an image a painter is active on): finish the painting first;
    // the canvas begins again with its next call.
    d->canvas.End();
    if (!d->transparent || Empty())
        return d->image;
    TColor key = TransparentColor();
    if (d->drawImageAt != d->changes || d->drawImageColor != key || !d->drawImageTransparent) {
        QImage img = d->image.convertToFormat(QImage::Format_ARGB32);
        QRgb k = TColorToQRgb(key);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] | 0xFF000000u) == k)
                    line[x] = 0;
        }
        d->drawImage = std::move(img);
        d->drawImageAt = d->changes;
        d->drawImageColor = key;
        d->drawImageTransparent = true;
    }
    return d->drawImage;
}
