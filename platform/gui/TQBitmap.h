#pragma once
// A bitmap with its own canvas, on a 32-bit QImage.
//
// Files: LoadFromFile reads BMP and JPEG files, recognised by their content
// whatever the extension; SaveToFile writes BMP (or JPEG on request) through a
// temporary file that replaces the target only once it is complete.
//
// Transparency: while Transparent is set, Draw and StretchDraw onto a canvas leave
// out every pixel of the transparent colour: in automatic mode the colour of the
// bottom-left pixel, in fixed mode the colour set with SetTransparentColor.
//
// Monochrome: a monochrome bitmap holds only black and white; whatever is drawn
// on it becomes the nearer of the two when the bitmap is read (pixels, drawing,
// saving), and it is saved as a 1-bit BMP.
#include "platform/gui/TQCanvas.h"

#include <memory>
#include <string>

class QImage;
class TQtCanvas;

enum TTransparentMode { tmAuto = 0, tmFixed = 1 };
enum class TImageFormat { Bmp, Jpeg };

// The bytes of an image file in the format: with blackAndWhite a 1-bit BMP or
// a greyscale JPEG. jpegQuality 0..100, or -1 for the encoder's own. False
// when the image cannot be converted or encoded.
bool EncodeImageFile(const QImage& image, TImageFormat format, bool blackAndWhite, int jpegQuality,
                     std::string& bytes);

class TBitmap {
  public:
    TBitmap();
    TBitmap(int width, int height);
    TBitmap(const TBitmap& other);            // copies the picture and its settings
    TBitmap& operator=(const TBitmap& other); // same as Assign
    ~TBitmap();

    int Width() const;
    int Height() const;
    bool Empty() const;
    // Keeps the picture at the top-left; new pixels are white. False (and the
    // bitmap unchanged) when the memory for the new size cannot be had.
    bool SetSize(int width, int height);
    bool SetWidth(int width) { return SetSize(width, Height()); }
    bool SetHeight(int height) { return SetSize(Width(), height); }

    TCanvas& Canvas();

    // False, with the bitmap unchanged, when the file is missing, unreadable or
    // neither a BMP nor a JPEG picture.
    bool LoadFromFile(const std::string& path);
    // jpegQuality 0..100 (JPEG only); greyscale writes a greyscale JPEG.
    bool SaveToFile(const std::string& path, TImageFormat format = TImageFormat::Bmp, int jpegQuality = 90,
                    bool greyscale = false) const;

    bool Transparent() const;
    void SetTransparent(bool transparent);
    TTransparentMode TransparentMode() const;
    void SetTransparentMode(TTransparentMode mode);
    // In automatic mode the bottom-left pixel's colour (white when empty).
    TColor TransparentColor() const;
    // Sets the colour and switches to fixed mode.
    void SetTransparentColor(TColor color);

    bool Monochrome() const;
    void SetMonochrome(bool monochrome);

    // -1 outside the bitmap; writes outside are ignored.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Copies the picture, transparency and monochrome settings of another bitmap.
    void Assign(const TBitmap& other);

    // The picture as it stands (for Qt-level code). The image must not be
    // resized through this reference.
    const QImage& Image() const;
    // Replaces the picture (converted to 32 bits).
    void SetImage(const QImage& image);
    // The picture as a canvas draws it: transparent pixels have alpha 0.
    const QImage& ImageForDrawing() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
