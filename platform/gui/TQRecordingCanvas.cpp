#include "platform/gui/TQRecordingCanvas.h"

#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQQtCanvas.h"

#include <QImage>

#include <cstdio>
#include <sstream>

const char* CanvasOpName(TCanvasOp op) {
    switch (op) {
    case TCanvasOp::MoveTo:
        return "MoveTo";
    case TCanvasOp::LineTo:
        return "LineTo";
    case TCanvasOp::Polyline:
        return "Polyline";
    case TCanvasOp::Polygon:
        return "Polygon";
    case TCanvasOp::Rectangle:
        return "Rectangle";
    case TCanvasOp::FillRect:
        return "FillRect";
    case TCanvasOp::Ellipse:
        return "Ellipse";
    case TCanvasOp::Arc:
        return "Arc";
    case TCanvasOp::TextOut:
        return "TextOut";
    case TCanvasOp::Draw:
        return "Draw";
    case TCanvasOp::StretchDraw:
        return "StretchDraw";
    case TCanvasOp::SetPixel:
        return "SetPixel";
    case TCanvasOp::SelectLogFont:
        return "SelectLogFont";
    }
    return "?";
}

namespace {
std::string Hex(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c) & 0xFFFFFFu);
    return buf;
}
const char* PenStyleName(TPenStyle s) {
    static const char* names[] = {"solid", "dash", "dot", "dashdot", "dashdotdot", "clear"};
    return s >= 0 && s <= 5 ? names[s] : "?";
}
const char* PenModeName(TPenMode m) {
    static const char* names[] = {"copy", "xor", "notxor", "not"};
    return m >= 0 && m <= 3 ? names[m] : "?";
}
} // namespace

TRect TCanvasCall::InkReach() const {
    int l = 0, t = 0, r = -1, b = -1;
    auto take = [&](int x, int y) {
        if (r < l) {
            l = r = x;
            t = b = y;
            return;
        }
        l = std::min(l, x);
        r = std::max(r, x);
        t = std::min(t, y);
        b = std::max(b, y);
    };
    switch (Op) {
    case TCanvasOp::LineTo:
    case TCanvasOp::Polyline:
    case TCanvasOp::Polygon:
        for (const TPoint& p : Points)
            take(p.x, p.y);
        break;
    case TCanvasOp::Rectangle:
    case TCanvasOp::FillRect:
    case TCanvasOp::Ellipse:
    case TCanvasOp::Arc:
    case TCanvasOp::StretchDraw:
        take(Arg(0), Arg(1));
        take(Arg(2), Arg(3));
        break;
    case TCanvasOp::TextOut:
    case TCanvasOp::Draw:
        take(Arg(0), Arg(1));
        take(Arg(0) + Extent.cx, Arg(1) + Extent.cy);
        break;
    case TCanvasOp::SetPixel: take(Arg(0), Arg(1)); break;
    default: return {0, 0, -1, -1};
    }
    if (r < l)
        return {0, 0, -1, -1};
    const int pen = Op == TCanvasOp::TextOut || Op == TCanvasOp::Draw ? 0 : std::max(1, Pen.Width) / 2;
    return {l - pen, t - pen, r + pen, b + pen};
}

std::string TCanvasCall::ToString() const {
    std::ostringstream o;
    o << CanvasOpName(Op) << "(";
    for (size_t i = 0; i < Args.size(); ++i)
        o << (i ? ", " : "") << Args[i];
    o << ")";
    if (!Points.empty()) {
        o << " points";
        for (const auto& p : Points)
            o << " (" << p.x << "," << p.y << ")";
    }
    if (Op == TCanvasOp::TextOut)
        o << " \"" << Text << "\" extent " << Extent.cx << "x" << Extent.cy;
    if (Op == TCanvasOp::Draw || Op == TCanvasOp::StretchDraw) {
        o << " bitmap " << Extent.cx << "x" << Extent.cy;
        if (Transparent)
            o << " transparent " << Hex(TransparentColor);
    }
    o << " | pen " << Hex(Pen.Color) << " w" << Pen.Width << " " << PenStyleName(Pen.Style) << " "
      << PenModeName(Pen.Mode) << " | brush " << Hex(Brush.Color)
      << (Brush.Style == bsClear ? " clear" : " solid") << " | font \"" << Font.Name << "\" " << Font.Size
      << "pt " << Hex(Font.Color) << " style " << Font.Style << " cs " << Font.Charset;
    if (LogFont)
        o << " | logfont \"" << LogFont->FaceName << "\" h" << LogFont->Height << " w" << LogFont->Width
          << " esc " << LogFont->Escapement << " wt " << LogFont->Weight << (LogFont->Italic ? " italic" : "")
          << (LogFont->Underline ? " underline" : "") << (LogFont->StrikeOut ? " strikeout" : "") << " cs "
          << LogFont->Charset;
    return o.str();
}

// A small image with a Qt canvas on it, for text metrics.
struct TRecordingCanvas::MetricsHolder {
    QImage image{1, 1, QImage::Format_RGB32};
    TQtCanvas canvas{&image};
};

TRecordingCanvas::TRecordingCanvas(TSize size, int pixelsPerInch)
    : size_(size), ppi_(pixelsPerInch > 0 ? pixelsPerInch : 96) {}

TRecordingCanvas::~TRecordingCanvas() = default;

void TRecordingCanvas::SetPixelsPerInch(int ppi) {
    ppi_ = ppi > 0 ? ppi : 96;
}

TQtCanvas& TRecordingCanvas::Metrics() {
    if (!metrics_)
        metrics_ = std::make_unique<MetricsHolder>();
    TQtCanvas& m = metrics_->canvas;
    m.Font = Font;
    m.SetPixelsPerInch(ppi_);
    if (m.SelectedLogFont() != logFont_)
        m.SelectLogFont(logFont_);
    return m;
}

TCanvasCall& TRecordingCanvas::Record(TCanvasOp op, std::vector<int> args) {
    TCanvasCall& c = calls_.emplace_back();
    c.Op = op;
    c.Args = std::move(args);
    c.Pen = Pen;
    c.Brush = Brush;
    c.Font = Font;
    if (logFont_)
        c.LogFont = *logFont_;
    c.OwnerCol = ownerCol_;
    c.OwnerRow = ownerRow_;
    c.OwnerPart = ownerPart_;
    return c;
}

std::shared_ptr<TLogFont> TRecordingCanvas::SelectLogFont(std::shared_ptr<TLogFont> font) {
    auto previous = std::move(logFont_);
    logFont_ = std::move(font);
    Record(TCanvasOp::SelectLogFont, {});
    return previous;
}

void TRecordingCanvas::MoveTo(int x, int y) {
    Record(TCanvasOp::MoveTo, {x, y});
    penPos_ = {x, y};
}

void TRecordingCanvas::LineTo(int x, int y) {
    Record(TCanvasOp::LineTo, {x, y}).Points = {penPos_, {x, y}};
    penPos_ = {x, y};
}

void TRecordingCanvas::Polyline(const std::vector<TPoint>& points) {
    Record(TCanvasOp::Polyline, {}).Points = points;
}

void TRecordingCanvas::Polygon(const std::vector<TPoint>& points) {
    Record(TCanvasOp::Polygon, {}).Points = points;
}

void TRecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Record(TCanvasOp::Rectangle, {x1, y1, x2, y2});
}

void TRecordingCanvas::FillRect(const TRect& r) {
    Record(TCanvasOp::FillRect, {r.Left, r.Top, r.Right, r.Bottom});
}

void TRecordingCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Record(TCanvasOp::Ellipse, {x1, y1, x2, y2});
}

void TRecordingCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    Record(TCanvasOp::Arc, {x1, y1, x2, y2, x3, y3, x4, y4});
}

void TRecordingCanvas::TextOut(int x, int y, const std::string& text) {
    TSize extent = TextExtent(text);
    TCanvasCall& c = Record(TCanvasOp::TextOut, {x, y});
    c.Text = text;
    c.Extent = extent;
    penPos_ = {x + extent.cx, y};
}

TSize TRecordingCanvas::TextExtent(const std::string& text) {
    return Metrics().TextExtent(text);
}

void TRecordingCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    TCanvasCall& c = Record(TCanvasOp::Draw, {x, y});
    c.Bitmap = &bitmap;
    c.Extent = {bitmap.Width(), bitmap.Height()};
    c.Transparent = bitmap.Transparent();
    c.TransparentColor = bitmap.Transparent() ? bitmap.TransparentColor() : -1;
}

void TRecordingCanvas::StretchDraw(const TRect& r, const TBitmap& bitmap) {
    TCanvasCall& c = Record(TCanvasOp::StretchDraw, {r.Left, r.Top, r.Right, r.Bottom});
    c.Bitmap = &bitmap;
    c.Extent = {bitmap.Width(), bitmap.Height()};
    c.Transparent = bitmap.Transparent();
    c.TransparentColor = bitmap.Transparent() ? bitmap.TransparentColor() : -1;
}

TColor TRecordingCanvas::GetPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= size_.cx || y >= size_.cy)
        return -1;
    return Background;
}

void TRecordingCanvas::SetPixel(int x, int y, TColor color) {
    Record(TCanvasOp::SetPixel, {x, y, color});
}

std::vector<TCanvasOp> TRecordingCanvas::ops() const {
    std::vector<TCanvasOp> r;
    r.reserve(calls_.size());
    for (const auto& c : calls_)
        r.push_back(c.Op);
    return r;
}

std::vector<std::string> TRecordingCanvas::texts() const {
    std::vector<std::string> r;
    for (const auto& c : calls_)
        if (c.Op == TCanvasOp::TextOut)
            r.push_back(c.Text);
    return r;
}

int TRecordingCanvas::CountOf(TCanvasOp op) const {
    int n = 0;
    for (const auto& c : calls_)
        n += c.Op == op;
    return n;
}

std::vector<const TCanvasCall*> TRecordingCanvas::OfOp(TCanvasOp op) const {
    std::vector<const TCanvasCall*> r;
    for (const auto& c : calls_)
        if (c.Op == op)
            r.push_back(&c);
    return r;
}

const TCanvasCall* TRecordingCanvas::FindText(const std::string& text) const {
    for (const auto& c : calls_)
        if (c.Op == TCanvasOp::TextOut && c.Text == text)
            return &c;
    return nullptr;
}

const TCanvasCall* TRecordingCanvas::Last(TCanvasOp op) const {
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
        if (it->Op == op)
            return &*it;
    return nullptr;
}

std::string TRecordingCanvas::Dump() const {
    std::string s;
    for (size_t i = 0; i < calls_.size(); ++i)
        s += std::to_string(i) + ": " + calls_[i].ToString() + "\n";
    return s;
}
