#pragma once
// The Qt canvas: TCanvas on a QPainter over any paint device (a QImage, a widget
// inside its paint event, a printer).
//
// The painter is started on the first drawing call and ended by End() or the
// destructor; whoever resizes or replaces the device calls End() first.
//
// How the Windows canvas rules are kept:
//  - lines and shapes are drawn without antialiasing (like GDI); text is drawn
//    with greyscale antialiasing;
//  - a 1-pixel pen draws every pixel of a line except its end pixel; wider pens
//    have round caps and joins and are always solid (dash and dot styles only
//    apply to 1-pixel pens, as with GDI pens);
//  - the gaps of a dashed line take the brush colour while the brush is solid;
//  - Rectangle and Ellipse cover x1..x2-1 and y1..y2-1; with a clear pen the
//    filled shape is one pixel smaller in width and height;
//  - pen modes apply to lines and shapes (pen and brush), not to text, FillRect,
//    pixels or images; they need a raster device (images, widgets) and are
//    ignored on a printer;
//  - TextOut places the top-left corner of the character cell at (x, y), fills
//    the cell with the brush colour while the brush is solid, and moves the pen
//    position to the end of the text;
//  - a font of Size points is Size x PixelsPerInch / 72 pixels to the em
//    (rounded); a negative Size gives the height of the whole cell instead.
//
// Created fonts (SelectLogFont): the face defaults to Font.Name, the colour is
// Font.Color; Width stretches the glyphs horizontally to that average character
// width; Escapement turns the text counter-clockwise around its origin (the
// top-left of the cell); Orientation is not used. Legacy music fonts count an
// average character width of half an em.
//
// Face names go through SubstituteFontFamily. Charsets 1 and 134 put the
// Simplified Chinese font first among the fallbacks, so that Chinese characters
// in a Latin font take Chinese forms.
#include "platform/gui/TQCanvas.h"

#include <cstdint>
#include <memory>

class QPaintDevice;
class QPainter;
class QImage;

class TQtCanvas : public TCanvas {
  public:
    // The device is not owned; it must outlive the canvas (or End() be called).
    explicit TQtCanvas(QPaintDevice* device, int pixelsPerInch = 96);
    ~TQtCanvas() override;
    TQtCanvas(const TQtCanvas&) = delete;
    TQtCanvas& operator=(const TQtCanvas&) = delete;

    int PixelsPerInch() const override;
    void SetPixelsPerInch(int ppi);
    TSize Size() const override;

    std::shared_ptr<TLogFont> SelectLogFont(std::shared_ptr<TLogFont> font) override;
    std::shared_ptr<TLogFont> SelectedLogFont() const override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    TPoint PenPos() const override;
    void Polyline(const std::vector<TPoint>& points) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void FillRect(const TRect& rect) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void TextOut(int x, int y, const std::string& text) override;
    TSize TextExtent(const std::string& text) override;
    void Draw(int x, int y, const TBitmap& bitmap) override;
    void StretchDraw(const TRect& rect, const TBitmap& bitmap) override;
    // Pixels can be read only on an image; elsewhere, and outside the image,
    // GetPixel returns -1 (the Windows "invalid colour").
    TColor GetPixel(int x, int y) override;
    void SetPixel(int x, int y, TColor color) override;

    // Ends painting on the device; the next drawing call starts it again.
    void End();
    // The painter, started (nullptr when the device refuses to be painted).
    // The canvas sets its pen, brush and font again before its next call.
    QPainter* Painter();
    QPaintDevice* Device() const;

  protected:
    // Starts painting now; false when the device refuses.
    bool Begin();
    bool Active() const;
    // Whether a drawing call may start painting by itself (true by default; a
    // printer only paints between the begin and end of a document).
    void SetAutoBegin(bool autoBegin);

  private:
    friend class TBitmap;
    QPainter* ActivePainter();
    QPainter* ShapePainter();
    QPainter* CopyPainter();
    // The shape painter for a rectangle or ellipse, its corners put in order;
    // nullptr when the box is empty or neither pen nor brush would show.
    QPainter* ClosedShapePainter(int& x1, int& y1, int& x2, int& y2);
    // The owner of an image device counts its changes here.
    void SetChangeCounter(uint64_t* counter);

    struct Impl;
    std::unique_ptr<Impl> d;
};

// Colour conversions shared by the Qt-based stand-ins.
uint32_t TColorToQRgb(TColor c);
TColor QRgbToTColor(uint32_t rgb);
