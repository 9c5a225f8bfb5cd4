#include "platform/gui/TQQtCanvas.h"

#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQGlyphMap.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>
#include <QPolygon>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <functional>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>

uint32_t TColorToQRgb(TColor c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}
TColor QRgbToTColor(uint32_t rgb) {
    return RGBColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

namespace {

QColor ToQColor(TColor c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Average character width of the legacy music fonts, in em: a created font of
// width W on such a face is stretched by W / (this x em).
constexpr double kLegacyAverageCharWidthEm = 0.5;

// Advance of a legacy code that has no glyph, in em.
constexpr double kMissingLegacyAdvanceEm = 0.5;

// Windows dash patterns of a 1-pixel pen (on, off, ... in pixels).
QList<qreal> DashPattern(TPenStyle style) {
    switch (style) {
    case psDash:
        return {18, 6};
    case psDot:
        return {3, 3};
    case psDashDot:
        return {9, 6, 3, 6};
    case psDashDotDot:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

int RoundHalfUp(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}

struct FontKey {
    TFont font;
    bool hasLog = false;
    TLogFont log;
    int ppi = 96;
    bool operator<(const FontKey& o) const {
        auto t = [](const FontKey& k) {
            return std::tie(k.font.Name, k.font.Size, k.font.Style, k.font.Charset, k.hasLog, k.log.Height,
                            k.log.Width, k.log.Escapement, k.log.Weight, k.log.Italic, k.log.Underline,
                            k.log.StrikeOut, k.log.Charset, k.log.FaceName, k.ppi);
        };
        return t(*this) < t(o);
    }
};

// Everything TextOut and TextExtent need of one font state.
struct FontEntry {
    QFont font;           // the text font (unused for legacy faces)
    double ascent = 0;    // text font, pixels
    double height = 0;    // ascent + descent, pixels
    double stretch = 1.0; // horizontal scale of a created font
    double angle = 0;     // degrees counter-clockwise
    bool legacy = false;
    std::string face; // legacy face name
    double em = 0;    // legacy em, pixels
    int style = 0;    // legacy style bits
    std::optional<QFontMetricsF> metrics;
    // Advances of the texts measured in this font (pixels, before stretching):
    // a page writes the same few texts over and over.
    std::unordered_map<std::string, double> advances;
    // The same texts laid out once: glyphs and their places, baseline at 0.
    std::unordered_map<std::string, QList<QGlyphRun>> runs;
};

// One line of text laid out in a font on a device: its glyph runs, baseline
// at 0; empty when nothing can be laid out.
QList<QGlyphRun> LayOutLine(const QString& text, const QFont& font, QPaintDevice* device) {
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    QList<QGlyphRun> runs;
    if (line.isValid()) {
        runs = layout.glyphRuns();
        for (QGlyphRun& run : runs) {
            QList<QPointF> at = run.positions();
            for (QPointF& pt : at)
                pt.ry() -= line.ascent();
            run.setPositions(at);
        }
    }
    return runs;
}

// The glyph runs of a text in the font of an entry; null when the text is
// drawn as text (lines under or through it, line breaks, tabs).
//
// Glyphs stand where the hinted font puts them (whole-pixel advances, as the
// screen has always set text) but are drawn from their outlines as designed:
// a printer or PDF file cannot hint, and a page drawn with hinted shapes would
// move every horizontal stroke by up to a pixel against its printed copy.
const QList<QGlyphRun>* TextRuns(FontEntry& e, const std::string& text, QPaintDevice* device) {
    if (e.font.underline() || e.font.strikeOut())
        return nullptr;
    auto it = e.runs.find(text);
    if (it == e.runs.end()) {
        if (text.find_first_of("\r\n\t") != std::string::npos)
            return nullptr;
        if (e.runs.size() >= 4096)
            e.runs.clear();
        const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        QList<QGlyphRun> runs = LayOutLine(s, e.font, device);
        QFont outlines = e.font;
        outlines.setHintingPreference(QFont::PreferNoHinting);
        const QList<QGlyphRun> shapes = LayOutLine(s, outlines, device);
        if (shapes.size() == runs.size()) {
            for (qsizetype i = 0; i < runs.size(); ++i)
                if (shapes[i].glyphIndexes() == runs[i].glyphIndexes())
                    runs[i].setRawFont(shapes[i].rawFont());
        }
        it = e.runs.emplace(text, std::move(runs)).first;
    }
    return &it->second;
}

void ApplyCharsetFallback(QFont& f, const QString& family, int charset) {
    if (charset == 1 || charset == 134) {
        QString cjk = QString::fromStdString(SubstituteFontFamily("SimSun"));
        if (cjk != family)
            f.setFamilies({family, cjk});
        else
            f.setFamilies({family});
    } else {
        f.setFamilies({family});
    }
}

// One size of a music glyph's font, with the glyphs drawn in it so far: a
// glyph is drawn by its index, without laying out text each time.
struct LegacyFont {
    QFont font;
    QRawFont raw;
    std::map<char32_t, QGlyphRun> runs; // an empty run: draw as text

    const QGlyphRun& Run(char32_t cp) {
        auto it = runs.find(cp);
        if (it == runs.end()) {
            QGlyphRun run;
            if (!raw.isValid())
                raw = QRawFont::fromFont(font);
            QList<quint32> index =
                raw.isValid() ? raw.glyphIndexesForString(QString::fromUcs4(&cp, 1)) : QList<quint32>();
            if (index.size() == 1 && index[0] != 0) {
                run.setRawFont(raw);
                run.setGlyphIndexes(index);
                run.setPositions({QPointF(0, 0)});
            }
            it = runs.emplace(cp, run).first;
        }
        return it->second;
    }

    // Bold or italic that the face does not have is made up from the upright
    // face's outlines, the same way on every device: a printer would make it
    // up its own way (a PDF file strokes and slants differently from the
    // screen's font engine). Known once the face has been looked at.
    bool madeUpChecked = false;
    bool madeUpBold = false, madeUpItalic = false;
    std::unique_ptr<LegacyFont> upright; // the upright font of the same size, when made up

    void CheckMadeUp() {
        if (madeUpChecked)
            return;
        madeUpChecked = true;
        auto plain = std::make_unique<LegacyFont>();
        plain->font = font;
        plain->font.setBold(false);
        plain->font.setItalic(false);
        if (!raw.isValid())
            raw = QRawFont::fromFont(font);
        plain->raw = QRawFont::fromFont(plain->font);
        if (!raw.isValid() || !plain->raw.isValid())
            return;
        // The same font file for both: the style is made up.
        const bool same = raw.fontTable("head") == plain->raw.fontTable("head") &&
                          raw.fontTable("name") == plain->raw.fontTable("name");
        if (!same)
            return;
        madeUpBold = font.bold();
        madeUpItalic = font.italic();
        upright = std::move(plain);
    }
};

// Outward growth of a made-up bold, in em on each side (the font engine's
// screen emboldening widens a glyph by 1/24 em).
constexpr double kMadeUpBoldEm = 1.0 / 48.0;
// The screen's font engine makes up bold only for glyphs it keeps as
// pictures, smaller than this many pixels to the em on the device; larger
// ones it draws from their outlines, upright weight.
constexpr double kMadeUpBoldMostPixels = 64.0;
// Slant of a made-up italic (the font engine's oblique: 12 degrees).
constexpr double kMadeUpItalicSlant = 0.2126;

// Draws glyph cp of the upright font, made bold and/or italic, with its
// baseline origin at `at`; false when the upright font has no such glyph.
bool DrawMadeUpGlyph(QPainter& p, LegacyFont& lf, char32_t cp, QPointF at, const QColor& color) {
    const QGlyphRun& run = lf.upright->Run(cp);
    if (run.isEmpty())
        return false;
    QPainterPath path = run.rawFont().pathForGlyph(run.glyphIndexes().first());
    const double em = run.rawFont().pixelSize();
    const bool bold =
        lf.madeUpBold && em * em * std::abs(p.deviceTransform().determinant()) < kMadeUpBoldMostPixels * kMadeUpBoldMostPixels;
    QTransform t;
    t.translate(at.x(), at.y());
    if (bold)
        t.translate(kMadeUpBoldEm * em, -kMadeUpBoldEm * em); // grows right and up
    if (lf.madeUpItalic)
        t.shear(-kMadeUpItalicSlant, 0);
    path = t.map(path);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (bold)
        p.setPen(QPen(color, 2.0 * kMadeUpBoldEm * em, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
        p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(path);
    p.restore();
    return true;
}

// The pixels of the image a raster painter paints on, for solid fills written
// straight into them: the image and the pixels the painter was begun on.
struct TPixelTarget {
    QImage* image = nullptr;
    const uchar* bits = nullptr;
};

// Fills r in an opaque colour straight into the target's pixels, where that
// gives exactly what the raster engine's solid fill gives: a 32-bit image that
// still holds the pixels the painter was begun on, painted with no clipping,
// no transform, no antialiasing and source-over at full opacity. False when
// it cannot or should not (the caller fills through the painter): small fills
// (a grid line, an underline) cost the engine far more in setting up than in
// pixels, while it fills large areas faster, on several threads.
bool FillPixels(const TPixelTarget& t, const QPainter& p, const QRect& r, QRgb rgb) {
    constexpr qint64 kMostPixels = 16384;
    if (!t.image || static_cast<qint64>(r.width()) * r.height() > kMostPixels || t.image->constBits() != t.bits ||
        p.hasClipping() ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver || p.opacity() != 1.0 ||
        p.testRenderHint(QPainter::Antialiasing) || p.deviceTransform().type() != QTransform::TxNone)
        return false;
    const QImage::Format f = t.image->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        return false;
    const QRect box = r.normalized() & t.image->rect();
    if (box.isEmpty())
        return true;
    // The painter writes into these very pixels; they were detached when it began.
    uchar* bits = const_cast<uchar*>(t.bits);
    const qsizetype stride = t.image->bytesPerLine();
    const quint32 value = 0xFF000000u | rgb;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        quint32* row = reinterpret_cast<quint32*>(bits + y * stride) + box.left();
        std::fill_n(row, box.width(), value);
    }
    return true;
}

} // namespace

struct TQtCanvas::Impl {
    QPaintDevice* device = nullptr;
    QImage* image = nullptr;
    std::unique_ptr<QPainter> painter;
    bool rasterOps = false;
    bool raster = false; // a pixel device: shapes are drawn pixel by pixel
    bool autoBegin = true;
    int ppi = 96;
    TPixelTarget pixels; // set while a raster painter paints on an image
    TPoint penPos;
    std::shared_ptr<TLogFont> logFont;
    uint64_t* changes = nullptr;

    // State last given to the painter.
    bool stateValid = false;
    TPen appliedPen;
    TBrush appliedBrush;
    bool appliedForShape = false;
    // What the painter's pen and font hold for text (nothing known: -1, null).
    TColor textPenColor = -1;
    const QFont* painterFont = nullptr;

    // Fonts by state, with the last one kept at hand.
    std::map<FontKey, std::unique_ptr<FontEntry>> fonts;
    FontEntry* lastEntry = nullptr;
    TFont lastFont;
    std::optional<TLogFont> lastLog;
    int lastPpi = 0;
    std::map<std::tuple<const char*, int, int>, LegacyFont> legacyFonts;

    void Changed() {
        if (changes)
            ++*changes;
    }
    FontEntry* Resolve(const TFont& font);
    LegacyFont& LegacyGlyphFont(const TLegacyGlyph& g, double em, int style);
};

TQtCanvas::TQtCanvas(QPaintDevice* device, int pixelsPerInch) : d(std::make_unique<Impl>()) {
    d->device = device;
    if (device && device->devType() == QInternal::Image)
        d->image = static_cast<QImage*>(device);
    d->ppi = pixelsPerInch > 0 ? pixelsPerInch : 96;
}

TQtCanvas::~TQtCanvas() {
    End();
}

void TQtCanvas::SetChangeCounter(uint64_t* counter) {
    d->changes = counter;
}

int TQtCanvas::PixelsPerInch() const {
    return d->ppi;
}
void TQtCanvas::SetPixelsPerInch(int ppi) {
    d->ppi = ppi > 0 ? ppi : 96;
}

TSize TQtCanvas::Size() const {
    if (!d->device)
        return {};
    return {d->device->width(), d->device->height()};
}

QPaintDevice* TQtCanvas::Device() const {
    return d->device;
}

bool TQtCanvas::Active() const {
    return d->painter && d->painter->isActive();
}

bool TQtCanvas::Begin() {
    if (Active())
        return true;
    if (!d->device)
        return false;
    if (d->image && d->image->isNull())
        return false;
    if (!d->painter)
        d->painter = std::make_unique<QPainter>();
    if (!d->painter->begin(d->device))
        return false;
    d->painter->setRenderHint(QPainter::Antialiasing, false);
    d->painter->setRenderHint(QPainter::TextAntialiasing, true);
    d->painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    QPaintEngine* engine = d->painter->paintEngine();
    d->rasterOps = engine && engine->hasFeature(QPaintEngine::RasterOpModes);
    d->raster = engine && engine->type() == QPaintEngine::Raster;
    d->pixels = {};
    if (d->image && d->raster && engine->systemClip().isEmpty())
        d->pixels = {d->image, d->image->constBits()};
    d->stateValid = false;
    d->textPenColor = -1;
    d->painterFont = nullptr;
    return true;
}

void TQtCanvas::End() {
    if (d->painter && d->painter->isActive())
        d->painter->end();
    d->pixels = {};
    d->stateValid = false;
    d->textPenColor = -1;
    d->painterFont = nullptr;
}

QPainter* TQtCanvas::Painter() {
    QPainter* p = ActivePainter();
    // The caller may change anything: set every state again before it is used.
    d->stateValid = false;
    d->textPenColor = -1;
    d->painterFont = nullptr;
    return p;
}

QPainter* TQtCanvas::ActivePainter() {
    if (Active())
        return d->painter.get();
    if (!d->autoBegin)
        return nullptr;
    return Begin() ? d->painter.get() : nullptr;
}

void TQtCanvas::SetAutoBegin(bool autoBegin) {
    d->autoBegin = autoBegin;
}

std::shared_ptr<TLogFont> TQtCanvas::SelectLogFont(std::shared_ptr<TLogFont> font) {
    auto previous = std::move(d->logFont);
    d->logFont = std::move(font);
    return previous;
}

std::shared_ptr<TLogFont> TQtCanvas::SelectedLogFont() const {
    return d->logFont;
}

// ---------------------------------------------------------------------------
// Pen and brush

namespace {

void ApplyShapeState(QPainter& p, const TPen& pen, const TBrush& brush, bool rasterOps) {
    if (pen.Style == psClear) {
        p.setPen(Qt::NoPen);
    } else {
        QPen qp(ToQColor(pen.Color));
        if (pen.Width <= 1) {
            // Cosmetic: Qt draws it with its one-pixel line stroker (the same
            // pixels as a 1-wide pen without transform, on its fast path).
            qp.setWidth(1);
            qp.setCosmetic(true);
            qp.setCapStyle(Qt::SquareCap);
            qp.setJoinStyle(Qt::MiterJoin);
            auto pattern = DashPattern(pen.Style);
            if (!pattern.isEmpty())
                qp.setDashPattern(pattern);
        } else {
            qp.setWidth(pen.Width);
            qp.setCapStyle(Qt::RoundCap);
            qp.setJoinStyle(Qt::RoundJoin);
        }
        p.setPen(qp);
    }
    if (brush.Style == bsClear)
        p.setBrush(Qt::NoBrush);
    else
        p.setBrush(ToQColor(brush.Color));
    bool dashed = pen.Style != psSolid && pen.Style != psClear && pen.Width <= 1;
    if (dashed && brush.Style == bsSolid) {
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(ToQColor(brush.Color));
    } else {
        p.setBackgroundMode(Qt::TransparentMode);
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    if (rasterOps) {
        switch (pen.Mode) {
        case pmXor:
            mode = QPainter::RasterOp_SourceXorDestination;
            break;
        case pmNotXor:
            mode = QPainter::RasterOp_NotSourceXorDestination;
            break;
        case pmNot:
            mode = QPainter::RasterOp_NotDestination;
            break;
        default:
            break;
        }
    }
    p.setCompositionMode(mode);
}

} // namespace

QPainter* TQtCanvas::ShapePainter() {
    QPainter* p = ActivePainter();
    if (!p)
        return nullptr;
    if (!d->stateValid || !d->appliedForShape || !(d->appliedPen == Pen) || !(d->appliedBrush == Brush)) {
        ApplyShapeState(*p, Pen, Brush, d->rasterOps);
        d->textPenColor = -1;
        d->appliedPen = Pen;
        d->appliedBrush = Brush;
        d->appliedForShape = true;
        d->stateValid = true;
    }
    return p;
}

QPainter* TQtCanvas::CopyPainter() {
    QPainter* p = ActivePainter();
    if (!p)
        return nullptr;
    if (!d->stateValid || d->appliedForShape) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->setBackgroundMode(Qt::TransparentMode);
        p->setBrush(Qt::NoBrush);
        d->appliedForShape = false;
        d->stateValid = true;
    }
    return p;
}

// ---------------------------------------------------------------------------
// Lines

namespace {

// Draws the line from a to b without its end pixel. A 1-pixel pen draws
// inclusive lines (square caps), so the line is drawn to the pixel before b.
void DrawOpenLine(QPainter& p, const TPen& pen, TPoint a, TPoint b, const TPixelTarget& pixels = {}) {
    int dx = b.x - a.x, dy = b.y - a.y;
    int n = std::max(std::abs(dx), std::abs(dy));
    if (n == 0)
        return;
    if (pen.Width > 1) {
        // Wide strokes are centred on the pixel the point names.
        p.drawLine(QPointF(a.x + 0.5, a.y + 0.5), QPointF(b.x + 0.5, b.y + 0.5));
        return;
    }
    // The pixel before b along the line.
    auto before = [n](int from, int delta) {
        double v = from + static_cast<double>(delta) * (n - 1) / n;
        return static_cast<int>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
    };
    const int ex = before(a.x, dx), ey = before(a.y, dy);
    if ((dx == 0 || dy == 0) && pen.Style == psSolid && pen.Mode == pmCopy) {
        // A solid level or upright line is a one-pixel rectangle: the same
        // pixels, filled a row at a time instead of stroked pixel by pixel.
        const QRect r(QPoint(std::min(a.x, ex), std::min(a.y, ey)), QPoint(std::max(a.x, ex), std::max(a.y, ey)));
        if (!FillPixels(pixels, p, r, p.pen().color().rgb()))
            p.fillRect(r, p.pen().color());
        return;
    }
    p.drawLine(a.x, a.y, ex, ey);
}

// Fills the pixels a pixel device fills for the polygon (odd-even rule), as
// rectangles: a printer would otherwise smooth the outline its own way, and
// the thin ends of a tapering curve would reach further on paper than on the
// screen. Each edge is walked as the raster engine walks it: its place at the
// middle of each pixel row in 16.16 fixed point, one fixed step per row, and a
// span running from the rounded place of one crossing to the next.
// Only the rows and columns of the device (width x height) are filled.
void FillPolygonPixels(QPainter& p, const std::vector<TPoint>& points, const QColor& color, int width, int height) {
    struct Edge {
        int64_t x, step; // 16.16
        int top, bottom; // rows, inclusive
    };
    std::vector<Edge> edges;
    const size_t n = points.size();
    int top = INT_MAX, bottom = INT_MIN;
    for (size_t i = 0; i < n; ++i) {
        TPoint a = points[i], b = points[(i + 1) % n];
        if (a.y == b.y)
            continue;
        if (a.y > b.y)
            std::swap(a, b);
        // Rows whose middle lies in [a.y, b.y).
        const int first = a.y, last = b.y - 1;
        const double slope = static_cast<double>(b.x - a.x) / (b.y - a.y);
        const int64_t step = static_cast<int64_t>(slope * 65536.0);
        const int64_t x = (static_cast<int64_t>(a.x) << 16) + 32768 + ((step * 32768) >> 16);
        edges.push_back({x, step, first, last});
        top = std::min(top, first);
        bottom = std::max(bottom, last);
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, height - 1);
    if (edges.empty() || top > bottom)
        return;
    // A crossing far off the device stands just outside it.
    constexpr long double kFarthest = static_cast<long double>(int64_t{1} << 46);
    std::vector<int> xs;
    // Spans of the rows above, grown downwards while a row repeats them.
    std::vector<std::pair<int, int>> spans, previous;
    int previousTop = top;
    auto flush = [&](int row) {
        for (const auto& [l, r] : previous)
            p.fillRect(QRect(l, previousTop, r - l, row - previousTop), color);
    };
    for (int y = top; y <= bottom; ++y) {
        xs.clear();
        for (Edge& e : edges) {
            if (y < e.top || y > e.bottom)
                continue;
            const long double at = std::clamp(
                static_cast<long double>(e.x) + static_cast<long double>(e.step) * (y - e.top), -kFarthest, kFarthest);
            xs.push_back(std::clamp(static_cast<int>(static_cast<int64_t>(at) >> 16), -1, width + 1));
        }
        std::sort(xs.begin(), xs.end());
        spans.clear();
        for (size_t i = 0; i + 1 < xs.size(); i += 2)
            if (xs[i] < xs[i + 1])
                spans.emplace_back(xs[i], xs[i + 1]);
        if (spans != previous) {
            flush(y);
            previous = spans;
            previousTop = y;
        }
    }
    flush(bottom + 1);
}

} // namespace

void TQtCanvas::MoveTo(int x, int y) {
    d->penPos = {x, y};
}

void TQtCanvas::LineTo(int x, int y) {
    TPoint from = d->penPos;
    d->penPos = {x, y};
    if (Pen.Style == psClear)
        return;
    QPainter* p = ShapePainter();
    if (!p)
        return;
    DrawOpenLine(*p, Pen, from, {x, y}, d->pixels);
    d->Changed();
}

TPoint TQtCanvas::PenPos() const {
    return d->penPos;
}

void TQtCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.size() < 2 || Pen.Style == psClear)
        return;
    QPainter* p = ShapePainter();
    if (!p)
        return;
    if (Pen.Width > 1) {
        QPolygonF poly;
        poly.reserve(static_cast<int>(points.size()));
        for (const auto& pt : points)
            poly << QPointF(pt.x + 0.5, pt.y + 0.5);
        p->setBrush(Qt::NoBrush);
        p->drawPolyline(poly);
        if (Brush.Style != bsClear)
            p->setBrush(ToQColor(Brush.Color));
    } else {
        for (size_t i = 1; i < points.size(); ++i)
            DrawOpenLine(*p, Pen, points[i - 1], points[i]);
    }
    d->Changed();
}

void TQtCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2)
        return;
    if (Pen.Style == psClear && Brush.Style == bsClear)
        return;
    QPainter* p = ShapePainter();
    if (!p)
        return;
    QPolygon poly;
    poly.reserve(static_cast<int>(points.size()));
    for (const auto& pt : points)
        poly << QPoint(pt.x, pt.y);
    if (Pen.Style != psClear && Pen.Width > 1) {
        p->drawPolygon(poly.toPolygonF().translated(0.5, 0.5), Qt::OddEvenFill);
    } else {
        if (Brush.Style != bsClear) {
            // The fill leaves out the right and bottom edge; the outline covers them.
            p->setPen(Qt::NoPen);
            if (d->raster)
                p->drawPolygon(poly, Qt::OddEvenFill);
            else
                FillPolygonPixels(*p, points, ToQColor(Brush.Color), d->device->width(), d->device->height());
            d->stateValid = false;
            d->textPenColor = -1;
            p = ShapePainter();
        }
        if (Pen.Style != psClear)
            for (size_t i = 0; i < points.size(); ++i)
                DrawOpenLine(*p, Pen, points[i], points[(i + 1) % points.size()]);
    }
    d->Changed();
}

// ---------------------------------------------------------------------------
// Shapes

namespace {
void Normalise(int& x1, int& y1, int& x2, int& y2) {
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
}

// The pixels of an ellipse filling the box of w x h pixels at (x, y), row by
// row: row i spans [left[i], right[i]] (empty when left > right). A pixel is in
// when its centre lies in the ellipse through the box's outer pixel edges, so
// the first and last row and column are always reached.
struct EllipseRows {
    int x = 0, y = 0;
    std::vector<int> left, right;
    EllipseRows(int x0, int y0, int w, int h) : x(x0), y(y0), left(h), right(h) {
        double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
        double a = w / 2.0, b = h / 2.0;
        for (int i = 0; i < h; ++i) {
            double dy = (i - cy) / b;
            double t = 1.0 - dy * dy;
            double half = t > 0 ? a * std::sqrt(t) : 0;
            // Pixel centres within half of the centre, at least the middle one(s).
            int l = static_cast<int>(std::ceil(cx - half - 1e-9));
            int r = static_cast<int>(std::floor(cx + half + 1e-9));
            if (l > r) {
                l = static_cast<int>(std::floor(cx));
                r = static_cast<int>(std::ceil(cx));
            }
            left[i] = std::max(0, l);
            right[i] = std::min(w - 1, r);
        }
    }
    int rows() const { return static_cast<int>(left.size()); }
};

// Fills the region (or, with an outline, its inside) in the brush and draws the
// outline in the pen: the pixels of the region with a 4-neighbour outside it.
// Every pixel is painted once.
void PaintEllipseRows(QPainter& p, const EllipseRows& e, bool outline, bool fill, const QColor& brush,
                      const std::function<bool(int, int)>& keep = {}) {
    QList<QPoint> points;
    auto add = [&](int i, int j) {
        if (!keep || keep(e.x + j, e.y + i))
            points << QPoint(e.x + j, e.y + i);
    };
    for (int i = 0; i < e.rows(); ++i) {
        int l = e.left[i], r = e.right[i];
        if (l > r)
            continue;
        // The inside of the row: pixels whose four neighbours are all in.
        int first = l, last = r;
        if (outline) {
            if (i == 0 || i == e.rows() - 1) {
                first = r + 1;
                last = r;
            } else {
                first = std::max({l + 1, e.left[i - 1], e.left[i + 1]});
                last = std::min({r - 1, e.right[i - 1], e.right[i + 1]});
            }
            if (first > last) {
                for (int j = l; j <= r; ++j)
                    add(i, j);
            } else {
                for (int j = l; j < first; ++j)
                    add(i, j);
                for (int j = last + 1; j <= r; ++j)
                    add(i, j);
            }
        }
        if (fill && first <= last)
            p.fillRect(QRect(e.x + first, e.y + i, last - first + 1, 1), brush);
    }
    if (!points.isEmpty())
        p.drawPoints(points.constData(), static_cast<int>(points.size()));
}
} // namespace

QPainter* TQtCanvas::ClosedShapePainter(int& x1, int& y1, int& x2, int& y2) {
    Normalise(x1, y1, x2, y2);
    if (x2 - x1 <= 0 || y2 - y1 <= 0)
        return nullptr;
    if (Pen.Style == psClear && Brush.Style == bsClear)
        return nullptr;
    return ShapePainter();
}

void TQtCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    QPainter* p = ClosedShapePainter(x1, y1, x2, y2);
    if (!p)
        return;
    int w = x2 - x1, h = y2 - y1;
    bool pen = Pen.Style != psClear;
    if (Brush.Style != bsClear) {
        QColor c = ToQColor(Brush.Color);
        if (!pen) {
            if (w > 1 && h > 1)
                p->fillRect(QRect(x1, y1, w - 1, h - 1), c);
        } else if (Pen.Width <= 1) {
            if (w > 2 && h > 2)
                p->fillRect(QRect(x1 + 1, y1 + 1, w - 2, h - 2), c);
        } else {
            p->fillRect(QRect(x1, y1, w - 1, h - 1), c);
        }
    }
    if (pen) {
        p->setBrush(Qt::NoBrush);
        if (Pen.Width > 1) {
            p->drawRect(QRectF(x1 + 0.5, y1 + 0.5, w - 1, h - 1));
        } else if (w == 1 || h == 1) {
            p->drawLine(x1, y1, x2 - 1, y2 - 1);
        } else {
            // Four open edges: every pixel of the frame once.
            TPoint c[4] = {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}};
            for (int i = 0; i < 4; ++i)
                DrawOpenLine(*p, Pen, c[i], c[(i + 1) % 4]);
        }
        if (Brush.Style != bsClear)
            p->setBrush(ToQColor(Brush.Color));
    }
    d->Changed();
}

void TQtCanvas::FillRect(const TRect& rect) {
    int x1 = rect.Left, y1 = rect.Top, x2 = rect.Right, y2 = rect.Bottom;
    if (x2 <= x1 || y2 <= y1 || Brush.Style == bsClear)
        return;
    QPainter* p = CopyPainter();
    if (!p)
        return;
    const QRect r(x1, y1, x2 - x1, y2 - y1);
    if (!FillPixels(d->pixels, *p, r, TColorToQRgb(Brush.Color)))
        p->fillRect(r, ToQColor(Brush.Color));
    d->Changed();
}

void TQtCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    QPainter* p = ClosedShapePainter(x1, y1, x2, y2);
    if (!p)
        return;
    int w = x2 - x1, h = y2 - y1;
    bool pen = Pen.Style != psClear;
    bool fill = Brush.Style != bsClear;
    if (d->raster && (!pen || (Pen.Width <= 1 && Pen.Style == psSolid))) {
        // Pixel-exact: x1..x2-1 with an outline, one pixel less without.
        if (!pen && (w < 2 || h < 2))
            return;
        EllipseRows rows(x1, y1, pen ? w : w - 1, pen ? h : h - 1);
        PaintEllipseRows(*p, rows, pen, fill, ToQColor(Brush.Color));
    } else if (!pen) {
        p->drawEllipse(QRectF(x1 - 0.45, y1 - 0.45, w - 0.1, h - 0.1));
    } else if (Pen.Width > 1) {
        p->drawEllipse(QRectF(x1 + 0.5, y1 + 0.5, w - 1, h - 1));
    } else {
        p->drawEllipse(QRectF(x1, y1, w - 1, h - 1));
    }
    d->Changed();
}

void TQtCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    Normalise(x1, y1, x2, y2);
    int w = x2 - x1, h = y2 - y1;
    if (w <= 0 || h <= 0 || Pen.Style == psClear)
        return;
    QPainter* p = ShapePainter();
    if (!p)
        return;
    // The radial points give rays from the centre; the arc runs counter-clockwise
    // (y up) from where the start ray meets the ellipse to where the end ray does.
    double cx = x1 + (w - 1) / 2.0, cy = y1 + (h - 1) / 2.0;
    auto rayAngle = [&](double px, double py) {
        double dx = px - cx, dy = cy - py;
        return dx == 0 && dy == 0 ? 0.0 : std::atan2(dy, dx) * 180.0 / M_PI;
    };
    double start = rayAngle(x3, y3);
    double span = std::fmod(rayAngle(x4, y4) - start + 720.0, 360.0);
    if (span <= 1e-9)
        span = 360.0;
    if (d->raster && Pen.Width <= 1 && Pen.Style == psSolid) {
        EllipseRows rows(x1, y1, w, h);
        auto keep = [&](int px, int py) {
            double a = std::fmod(rayAngle(px, py) - start + 720.0, 360.0);
            return a <= span + 1e-9;
        };
        PaintEllipseRows(*p, rows, true, false, QColor(), keep);
    } else {
        double off = Pen.Width > 1 ? 0.5 : 0.0;
        QRectF box(x1 + off, y1 + off, std::max(0, w - 1), std::max(0, h - 1));
        double a = box.width() / 2, b = box.height() / 2;
        // Qt's arc angles are the ellipse's parametric angles.
        auto param = [&](double deg) {
            double r = deg * M_PI / 180.0;
            return a > 0 && b > 0 ? std::atan2(std::sin(r) / b, std::cos(r) / a) * 180.0 / M_PI : deg;
        };
        double ps = param(start), pe = param(start + span);
        double pspan = std::fmod(pe - ps + 720.0, 360.0);
        if (span >= 360.0 || pspan <= 1e-9)
            pspan = 360.0;
        QPainterPath path;
        path.arcMoveTo(box, ps);
        path.arcTo(box, ps, pspan);
        p->setBrush(Qt::NoBrush);
        p->drawPath(path);
        if (Brush.Style != bsClear)
            p->setBrush(ToQColor(Brush.Color));
    }
    d->Changed();
}

// ---------------------------------------------------------------------------
// Text

FontEntry* TQtCanvas::Impl::Resolve(const TFont& font) {
    Impl& d = *this;
    const TLogFont* log = d.logFont.get();
    if (d.lastEntry && d.lastPpi == d.ppi && d.lastFont == font &&
        d.lastLog.has_value() == (log != nullptr) && (!log || *d.lastLog == *log))
        return d.lastEntry;

    FontKey key;
    key.font = font;
    key.hasLog = log != nullptr;
    if (log)
        key.log = *log;
    key.ppi = d.ppi;
    auto it = d.fonts.find(key);
    if (it == d.fonts.end()) {
        if (d.fonts.size() > 256) {
            d.fonts.clear();
            d.lastEntry = nullptr;
            d.painterFont = nullptr;
        }
        auto e = std::make_unique<FontEntry>();
        std::string face = log && !log->FaceName.empty() ? log->FaceName : font.Name;
        double pointEm = font.Size * static_cast<double>(d.ppi) / 72.0;
        if (IsLegacyMusicFont(face)) {
            e->legacy = true;
            e->face = face;
            // A negative Size, like a positive created height, is the cell height.
            // Either becomes whole pixels first, as every font height does.
            const double sizePx = RoundHalfUp(pointEm);
            double em = sizePx;
            if (log && log->Height < 0)
                em = -log->Height;
            else if (log && log->Height > 0)
                em = log->Height / std::max(0.01f, LegacyCellHeight(face));
            else if (sizePx < 0)
                em = -sizePx / std::max(0.01f, LegacyCellHeight(face));
            e->em = em;
            e->style = font.Style;
            if (log) {
                e->style = (log->Weight >= 600 ? fsBold : 0) | (log->Italic ? fsItalic : 0);
                if (log->Width > 0 && em > 0)
                    e->stretch = log->Width / (kLegacyAverageCharWidthEm * em);
                e->angle = log->Escapement / 10.0;
            }
        } else {
            QString family = QString::fromStdString(SubstituteFontFamily(face));
            QFont f;
            int charset = log ? log->Charset : font.Charset;
            ApplyCharsetFallback(f, family, charset);
            f.setHintingPreference(QFont::PreferDefaultHinting);
            // The height as Windows has it: negative the em, positive the cell
            // (ascent + descent); a font of Size points is -Size x ppi / 72.
            int height = log && log->Height != 0 ? log->Height : -RoundHalfUp(pointEm);
            auto pixelSize = [&](const QFont& base) {
                if (height <= 0)
                    return std::max(1, -height);
                QFont probe = base;
                probe.setPixelSize(200);
                QFontMetricsF pm(probe, d.device);
                double cell = pm.ascent() + pm.descent();
                return std::max(1, cell > 0 ? RoundHalfUp(height * 200.0 / cell) : height);
            };
            if (log) {
                int weight = log->Weight <= 0 ? 400 : std::clamp(log->Weight, 1, 1000);
                f.setWeight(static_cast<QFont::Weight>(weight));
                f.setItalic(log->Italic);
                f.setUnderline(log->Underline);
                f.setStrikeOut(log->StrikeOut);
                f.setPixelSize(pixelSize(f));
                e->angle = log->Escapement / 10.0;
                if (log->Width > 0) {
                    QFontMetricsF nm(f, d.device);
                    double avg = nm.averageCharWidth();
                    // Chinese fonts report the width of their half-width
                    // characters, half the em; a substitute that averages over
                    // its full-width characters would make every created font
                    // of it half as wide as asked.
                    if (avg > 0.75 * f.pixelSize())
                        avg = 0.5 * f.pixelSize();
                    if (avg > 0)
                        e->stretch = log->Width / avg;
                }
            } else {
                f.setBold(font.Style & fsBold);
                f.setItalic(font.Style & fsItalic);
                f.setUnderline(font.Style & fsUnderline);
                f.setStrikeOut(font.Style & fsStrikeOut);
                f.setPixelSize(pixelSize(f));
            }
            e->font = f;
            e->metrics.emplace(f, d.device);
            e->ascent = e->metrics->ascent();
            e->height = e->metrics->ascent() + e->metrics->descent();
        }
        it = d.fonts.emplace(std::move(key), std::move(e)).first;
    }
    d.lastEntry = it->second.get();
    d.lastFont = font;
    d.lastLog = log ? std::optional<TLogFont>(*log) : std::nullopt;
    d.lastPpi = d.ppi;
    return d.lastEntry;
}

LegacyFont& TQtCanvas::Impl::LegacyGlyphFont(const TLegacyGlyph& g, double em, int style) {
    Impl& d = *this;
    int px = std::max(1, RoundHalfUp(em * g.scale));
    auto key = std::make_tuple(g.family, px, style);
    auto it = d.legacyFonts.find(key);
    if (it == d.legacyFonts.end()) {
        if (d.legacyFonts.size() > 256) {
            d.legacyFonts.clear();
            d.painterFont = nullptr;
        }
        QFont f(QString::fromUtf8(g.family));
        f.setPixelSize(px);
        f.setBold(style & fsBold);
        f.setItalic(style & fsItalic);
        it = d.legacyFonts.emplace(key, LegacyFont{f, QRawFont(), {}, false, false, false, nullptr}).first;
    }
    return it->second;
}

// Width of a legacy text in em (before stretching).
static double LegacyAdvance(const FontEntry& e, const std::string& text) {
    double adv = 0;
    for (unsigned char c : text) {
        const TLegacyGlyph* g = FindLegacyGlyph(e.face, c);
        adv += g ? g->advance : kMissingLegacyAdvanceEm;
    }
    return adv;
}

TSize TQtCanvas::TextExtent(const std::string& text) {
    FontEntry* e = d->Resolve(Font);
    if (e->legacy) {
        double w = LegacyAdvance(*e, text) * e->em * e->stretch;
        double h = LegacyCellHeight(e->face) * e->em;
        return {RoundHalfUp(w), RoundHalfUp(h)};
    }
    auto it = e->advances.find(text);
    if (it == e->advances.end()) {
        if (e->advances.size() >= 4096)
            e->advances.clear();
        QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        it = e->advances.emplace(text, e->metrics->horizontalAdvance(s)).first;
    }
    double w = it->second * e->stretch;
    return {RoundHalfUp(w), RoundHalfUp(e->height)};
}

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
    TSize extent = TextExtent(text);
    d->penPos = {x + extent.cx, y};
    if (text.empty())
        return;
    FontEntry* e = d->Resolve(Font);
    QPainter* p = CopyPainter();
    if (!p)
        return;
    bool transform = e->angle != 0 || e->stretch != 1.0;
    if (transform) {
        p->save();
        p->translate(x, y);
        if (e->angle != 0)
            p->rotate(-e->angle);
        if (e->stretch != 1.0)
            p->scale(e->stretch, 1.0);
    }
    // Origin of the text cell in the (possibly transformed) painter.
    double ox = transform ? 0 : x, oy = transform ? 0 : y;
    if (Brush.Style == bsSolid) {
        double cellW = e->stretch != 0 ? extent.cx / e->stretch : extent.cx;
        p->fillRect(QRectF(ox, oy, cellW, extent.cy), ToQColor(Brush.Color));
    }
    if (d->textPenColor != Font.Color) {
        p->setPen(ToQColor(Font.Color));
        d->textPenColor = Font.Color;
    }
    if (e->legacy) {
        double pen = 0;
        for (unsigned char c : text) {
            const TLegacyGlyph* g = FindLegacyGlyph(e->face, c);
            if (!g) {
                pen += kMissingLegacyAdvanceEm;
                continue;
            }
            LegacyFont& lf = d->LegacyGlyphFont(*g, e->em, e->style);
            const char32_t cp = g->codepoint;
            const bool styled = (e->style & (fsBold | fsItalic)) != 0;
            if (styled)
                lf.CheckMadeUp();
            const bool madeUp = styled && lf.upright;
            // A face's own bold and italic are drawn by the text layout, which
            // runs never get.
            const QGlyphRun* run = styled ? nullptr : &lf.Run(cp);
            if (run && run->isEmpty())
                run = nullptr;
            if (!run && !madeUp && d->painterFont != &lf.font) {
                p->setFont(lf.font);
                d->painterFont = &lf.font;
            }
            auto draw = [&](QPointF at) {
                if (run) {
                    p->drawGlyphRun(at, *run);
                } else if (!madeUp || !DrawMadeUpGlyph(*p, lf, cp, at, ToQColor(Font.Color))) {
                    if (d->painterFont != &lf.font) {
                        p->setFont(lf.font);
                        d->painterFont = &lf.font;
                    }
                    p->drawText(at, QString::fromUcs4(&cp, 1));
                }
            };
            QPointF origin(ox + (pen + g->dx) * e->em, oy + g->dy * e->em);
            if (g->stretch != 1.0f || g->angle != 0) {
                // the glyph's own stretch and turn, about its baseline origin
                p->save();
                p->translate(origin);
                if (g->angle != 0)
                    p->rotate(-g->angle / 10.0);
                if (g->stretch != 1.0f)
                    p->scale(g->stretch, 1.0);
                draw(QPointF(0, 0));
                p->restore();
            } else {
                draw(origin);
            }
            pen += g->advance;
        }
    } else {
        const QPointF baseline(ox, oy + e->ascent);
        if (const QList<QGlyphRun>* runs = TextRuns(*e, text, d->device)) {
            for (const QGlyphRun& run : *runs)
                p->drawGlyphRun(baseline, run);
        } else {
            if (d->painterFont != &e->font) {
                p->setFont(e->font);
                d->painterFont = &e->font;
            }
            p->drawText(baseline, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        }
    }
    if (transform) {
        // restore() takes back the pen and font set above
        p->restore();
        d->textPenColor = -1;
        d->painterFont = nullptr;
    }
    // The pen now holds the text colour: shapes must set theirs again.
    d->appliedForShape = false;
    d->Changed();
}

// ---------------------------------------------------------------------------
// Images and pixels

namespace {

// The bitmap's picture, taken before the canvas paints: reading it may settle
// the bitmap's own painting. A bitmap drawn on its own image is copied first.
QImage PictureToDraw(const TBitmap& bitmap, const QImage* target) {
    QImage img = bitmap.ImageForDrawing();
    if (&bitmap.Image() == target)
        img = img.copy();
    return img;
}

} // namespace

void TQtCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    if (bitmap.Empty())
        return;
    const QImage img = PictureToDraw(bitmap, d->image);
    QPainter* p = CopyPainter();
    if (!p)
        return;
    p->drawImage(QPoint(x, y), img);
    d->Changed();
}

void TQtCanvas::StretchDraw(const TRect& rect, const TBitmap& bitmap) {
    int w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
    if (bitmap.Empty() || w == 0 || h == 0)
        return;
    QImage img = PictureToDraw(bitmap, d->image);
    QPainter* p = CopyPainter();
    if (!p)
        return;
    if (w < 0 || h < 0)
        img = img.mirrored(w < 0, h < 0);
    QRect target(std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom), std::abs(w), std::abs(h));
    p->drawImage(target, img);
    d->Changed();
}

TColor TQtCanvas::GetPixel(int x, int y) {
    if (!d->image)
        return -1;
    const QImage& img = *d->image;
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height())
        return -1;
    return QRgbToTColor(img.pixel(x, y));
}

void TQtCanvas::SetPixel(int x, int y, TColor color) {
    if (d->image && (x < 0 || y < 0 || x >= d->image->width() || y >= d->image->height()))
        return;
    if (d->image && !Active()) {
        d->image->setPixel(x, y, TColorToQRgb(color));
        d->Changed();
        return;
    }
    QPainter* p = CopyPainter();
    if (!p)
        return;
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    d->Changed();
}
