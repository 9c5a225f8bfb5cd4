#pragma once
// A canvas that draws nothing and keeps every drawing call with the state it was
// made in, for tests of the drawers.
//
// Recorded: MoveTo, LineTo, Polyline, Polygon, Rectangle, FillRect, Ellipse, Arc,
// TextOut, Draw, StretchDraw, SetPixel and SelectLogFont. Queries (TextExtent,
// GetPixel, PenPos, Size) are answered, not recorded.
//
// Text metrics are those of the Qt canvas for the same font and resolution, so a
// drawer measures here exactly as it measures on screen. GetPixel returns the
// background colour.
//
//   TRecordingCanvas rc;
//   DrawSomething(rc);
//   EXPECT_EQ(rc.CountOf(TCanvasOp::TextOut), 1) << rc.Dump();
//   const TCanvasCall* t = rc.FindText("5");
//   EXPECT_EQ(t->Font.Name, "Arial");
#include "platform/gui/TQCanvas.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQtCanvas;

enum class TCanvasOp {
    MoveTo,
    LineTo,
    Polyline,
    Polygon,
    Rectangle,
    FillRect,
    Ellipse,
    Arc,
    TextOut,
    Draw,
    StretchDraw,
    SetPixel,
    SelectLogFont,
};

const char* CanvasOpName(TCanvasOp op);

struct TCanvasCall {
    TCanvasOp Op = TCanvasOp::MoveTo;
    // The integer arguments in call order: MoveTo/LineTo x, y; Rectangle, Ellipse
    // and FillRect left, top, right, bottom; Arc its eight; TextOut and Draw x, y;
    // StretchDraw the rectangle; SetPixel x, y, colour.
    std::vector<int> Args;
    // LineTo: the start and end point; Polyline and Polygon: the points.
    std::vector<TPoint> Points;
    std::string Text; // TextOut
    // The state at the time of the call.
    TPen Pen;
    TBrush Brush;
    TFont Font;
    std::optional<TLogFont> LogFont; // the selected created font, if any
    // TextOut: the text's extent; Draw and StretchDraw: the bitmap's size.
    TSize Extent;
    // Draw and StretchDraw: the bitmap (for identity only) and its transparency.
    const TBitmap* Bitmap = nullptr;
    bool Transparent = false;
    TColor TransparentColor = -1;
    // The owner set when the call was made (SetOwner).
    int OwnerCol = -1, OwnerRow = -1, OwnerPart = 0;

    // Argument i, or 0 when there is none.
    int Arg(size_t i) const { return i < Args.size() ? Args[i] : 0; }
    TRect RectArg() const { return {Arg(0), Arg(1), Arg(2), Arg(3)}; }
    // The box the call's coordinates span (a text or bitmap from its origin
    // over its extent), widened by half the pen; empty for calls that draw
    // nothing.
    TRect InkReach() const;
    std::string ToString() const;
};

class TRecordingCanvas : public TCanvas {
  public:
    explicit TRecordingCanvas(TSize size = {1000, 1400}, int pixelsPerInch = 96);
    ~TRecordingCanvas() override;
    TRecordingCanvas(const TRecordingCanvas&) = delete;
    TRecordingCanvas& operator=(const TRecordingCanvas&) = delete;

    int PixelsPerInch() const override { return ppi_; }
    void SetPixelsPerInch(int ppi);
    TSize Size() const override { return size_; }
    void SetSize(TSize size) { size_ = size; }
    TColor Background = clWhite; // what GetPixel answers

    std::shared_ptr<TLogFont> SelectLogFont(std::shared_ptr<TLogFont> font) override;
    std::shared_ptr<TLogFont> SelectedLogFont() const override { return logFont_; }

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    TPoint PenPos() const override { return penPos_; }
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
    TColor GetPixel(int x, int y) override;
    void SetPixel(int x, int y, TColor color) override;
    void SetOwner(int col, int row, int part = 0) override {
        ownerCol_ = col;
        ownerRow_ = row;
        ownerPart_ = part;
    }

    // The record.
    const std::vector<TCanvasCall>& Calls() const { return calls_; }
    size_t size() const { return calls_.size(); }
    const TCanvasCall& operator[](size_t i) const { return calls_[i]; }
    void Clear() { calls_.clear(); }

    std::vector<TCanvasOp> ops() const;
    // The texts of all TextOut calls, in order.
    std::vector<std::string> texts() const;
    int CountOf(TCanvasOp op) const;
    // The calls of one kind, in order.
    std::vector<const TCanvasCall*> OfOp(TCanvasOp op) const;
    std::vector<const TCanvasCall*> TextOuts() const { return OfOp(TCanvasOp::TextOut); }
    // The first TextOut of exactly this text; nullptr when none.
    const TCanvasCall* FindText(const std::string& text) const;
    // The last call of a kind; nullptr when none.
    const TCanvasCall* Last(TCanvasOp op) const;
    // One line per call, for failure messages.
    std::string Dump() const;

  private:
    TCanvasCall& Record(TCanvasOp op, std::vector<int> args);
    TQtCanvas& Metrics();

    TSize size_;
    int ppi_;
    TPoint penPos_;
    std::shared_ptr<TLogFont> logFont_;
    std::vector<TCanvasCall> calls_;
    int ownerCol_ = -1, ownerRow_ = -1, ownerPart_ = 0;
    struct MetricsHolder;
    std::unique_ptr<MetricsHolder> metrics_;
};
