#include "platform/gui/TQSymbolImages.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>

namespace {

constexpr double kSS = kSymbolImageStaffSpace; // pixels per staff space

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool BravuraLoaded() {
    static bool loaded = false; // once in the font database, it stays there
    if (!loaded)
        loaded = QFontDatabase::families().contains("Bravura");
    return loaded;
}

// Outline of one Bravura glyph at the symbol resolution (em = 4 staff spaces),
// origin at (0, 0), y downwards.
QPainterPath GlyphPath(char32_t cp) {
    QFont f("Bravura");
    f.setPixelSize(static_cast<int>(4 * kSS));
    f.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath path;
    path.addText(0, 0, f, QString::fromUcs4(&cp, 1));
    return path;
}

// Black ink on white, thresholded so that no grey is left.
QImage Threshold(const QImage& src) {
    QImage img = src.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] = qGray(line[x]) < 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
    return img;
}

// Paints the paths (already placed) on a white picture of the given size.
QImage PaintPaths(int w, int h, const std::vector<QPainterPath>& paths) {
    QImage img(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const auto& path : paths)
        p.drawPath(path);
    p.end();
    return Threshold(img);
}

// Paths cropped to the pixels of their joint ink.
QImage CropToInk(const std::vector<QPainterPath>& paths) {
    QRectF box;
    for (const auto& path : paths)
        box = box.united(path.boundingRect());
    std::vector<QPainterPath> placed;
    for (const auto& path : paths)
        placed.push_back(path.translated(2 - box.left(), 2 - box.top()));
    QImage img = PaintPaths(static_cast<int>(std::ceil(box.width())) + 4,
                            static_cast<int>(std::ceil(box.height())) + 4, placed);
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0) {
                l = std::min(l, x), r = std::max(r, x);
                t = std::min(t, y), b = std::max(b, y);
            }
    }
    return r < 0 ? img : img.copy(l, t, r - l + 1, b - t + 1);
}

QImage Glyph(char32_t cp) { return CropToInk({GlyphPath(cp)}); }

// A glyph squeezed into a picture of the given size (in staff spaces), its ink
// filling the height and the right-hand share `inkShare` of the width.
QImage Head(char32_t cp, double w, double h, double inkShare) {
    QPainterPath path = GlyphPath(cp);
    QRectF box = path.boundingRect();
    double W = w * kSS, H = h * kSS;
    QTransform t;
    t.translate(W * (1 - inkShare), 0);
    t.scale(W * inkShare / box.width(), H / box.height());
    t.translate(-box.left(), -box.top());
    return PaintPaths(static_cast<int>(std::lround(W)), static_cast<int>(std::lround(H)), {t.map(path)});
}

// Two glyphs side by side, the second `gap` staff spaces after the first's ink.
QImage GlyphPair(char32_t a, char32_t b, double gap) {
    QPainterPath pa = GlyphPath(a), pb = GlyphPath(b);
    double shift = pa.boundingRect().right() - pb.boundingRect().left() + gap * kSS;
    return CropToInk({pa, pb.translated(shift, 0)});
}

// A glyph with a vertical stroke through its middle.
QImage GlyphWithStroke(char32_t cp) {
    QPainterPath g = GlyphPath(cp);
    QRectF box = g.boundingRect();
    QPainterPath stroke;
    double cx = box.center().x(), wd = 0.3 * kSS;
    stroke.addRect(QRectF(cx - wd / 2, box.top() - 0.6 * kSS, wd, box.height() + 1.2 * kSS));
    return CropToInk({g, stroke});
}

// A character of a text font (the fallback shape of "ij").
QImage TextChar(const QString& family, const QString& text) {
    QFont f(family);
    f.setPixelSize(static_cast<int>(4 * kSS));
    QPainterPath path;
    path.addText(0, 0, f, text);
    return CropToInk({path});
}

// The bracket that starts a repeated section: a thick bar with a hook at each end.
QImage StartBracket() {
    const double s = kSS;
    QPainterPath path;
    path.addRect(QRectF(0, 0.4 * s, 0.6 * s, 11.2 * s));
    path.addRect(QRectF(0, 0, 2.4 * s, 0.4 * s));
    path.addRect(QRectF(0, 11.6 * s, 2.4 * s, 0.4 * s));
    return CropToInk({path});
}

// A guitar chord grid: six strings, five frets, a thick nut.
QImage ChordGrid() {
    const double s = kSS, w = 10 * s, h = 10 * s;
    QPainterPath path;
    for (int i = 0; i < 6; ++i)
        path.addRect(QRectF(i * w / 5 - 0.1 * s, 0, 0.2 * s, h));
    path.addRect(QRectF(-0.1 * s, -0.6 * s, w + 0.2 * s, 0.6 * s));
    for (int j = 1; j <= 5; ++j)
        path.addRect(QRectF(-0.1 * s, j * h / 5 - 0.1 * s, w + 0.2 * s, 0.2 * s));
    return CropToInk({path});
}

// --- Instrument pictures (tall, like a grid cell) ----------------------------

constexpr int kInstW = 48, kInstH = 96; // a grid cell is twice as high as wide

QImage InstrumentPicture(const std::function<void(QPainter&)>& paint) {
    QImage img(kInstW, kInstH, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    paint(p);
    p.end();
    return Threshold(img);
}

QImage Instrument(int index) {
    switch (index) {
    case 0: // bowed strings: body, waist, neck and scroll
        return InstrumentPicture([](QPainter& p) {
            p.drawEllipse(QRectF(8, 56, 32, 30));
            p.drawEllipse(QRectF(12, 32, 24, 26));
            p.drawLine(QPointF(24, 32), QPointF(24, 8));
            p.drawEllipse(QRectF(19, 2, 10, 8));
            p.drawLine(QPointF(4, 52), QPointF(44, 40)); // bow
        });
    case 1: // keyboard: white keys with black keys
        return InstrumentPicture([](QPainter& p) {
            p.drawRect(QRectF(4, 20, 40, 56));
            for (int i = 1; i < 4; ++i)
                p.drawLine(QPointF(4 + 10 * i, 20), QPointF(4 + 10 * i, 76));
            p.setBrush(Qt::black);
            for (int i = 1; i < 4; ++i)
                p.drawRect(QRectF(1 + 10 * i, 20, 6, 32));
        });
    case 2: // drum with two sticks
        return InstrumentPicture([](QPainter& p) {
            p.drawEllipse(QRectF(4, 44, 40, 12));
            p.drawLine(QPointF(4, 50), QPointF(4, 80));
            p.drawLine(QPointF(44, 50), QPointF(44, 80));
            p.drawArc(QRectF(4, 72, 40, 16), 180 * 16, 180 * 16);
            p.drawLine(QPointF(10, 10), QPointF(22, 46));
            p.drawLine(QPointF(38, 10), QPointF(26, 46));
        });
    case 3: // saxophone: bent tube and bell
        return InstrumentPicture([](QPainter& p) {
            QPainterPath tube;
            tube.moveTo(18, 4);
            tube.lineTo(20, 60);
            tube.cubicTo(20, 92, 44, 92, 40, 60);
            p.drawPath(tube);
            p.drawLine(QPointF(34, 56), QPointF(46, 56));
            for (int i = 0; i < 4; ++i)
                p.drawPoint(QPointF(26, 24 + 10 * i));
        });
    case 4: // plucked strings: round body and long neck
        return InstrumentPicture([](QPainter& p) {
            p.drawEllipse(QRectF(6, 52, 36, 38));
            p.drawEllipse(QRectF(18, 64, 12, 12));
            p.drawRect(QRectF(20, 4, 8, 48));
        });
    case 5: // harp: frame with strings
        return InstrumentPicture([](QPainter& p) {
            p.drawLine(QPointF(8, 8), QPointF(8, 90));
            p.drawLine(QPointF(8, 90), QPointF(42, 90));
            p.drawLine(QPointF(8, 8), QPointF(42, 90));
            for (int i = 1; i < 4; ++i)
                p.drawLine(QPointF(8 + 8 * i, 8 + 19.5 * i), QPointF(8 + 8 * i, 90));
        });
    case 6: // trumpet: tube, valves and bell
        return InstrumentPicture([](QPainter& p) {
            p.drawLine(QPointF(24, 4), QPointF(24, 70));
            p.drawLine(QPointF(24, 70), QPointF(10, 92));
            p.drawLine(QPointF(24, 70), QPointF(38, 92));
            p.drawLine(QPointF(10, 92), QPointF(38, 92));
            for (int i = 0; i < 3; ++i)
                p.drawLine(QPointF(24, 26 + 10 * i), QPointF(36, 26 + 10 * i));
        });
    case 7: // horn: coiled tube and bell
        return InstrumentPicture([](QPainter& p) {
            p.drawEllipse(QRectF(6, 28, 36, 36));
            p.drawEllipse(QRectF(14, 36, 20, 20));
            p.drawLine(QPointF(38, 58), QPointF(46, 90));
            p.drawLine(QPointF(30, 64), QPointF(22, 90));
            p.drawLine(QPointF(22, 90), QPointF(46, 90));
            p.drawLine(QPointF(10, 34), QPointF(4, 6));
        });
    case 8: // woodwind: straight pipe with finger holes
        return InstrumentPicture([](QPainter& p) {
            p.drawRect(QRectF(18, 4, 12, 88));
            p.setBrush(Qt::black);
            for (int i = 0; i < 6; ++i)
                p.drawEllipse(QPointF(24, 20 + 11 * i), 2.5, 2.5);
        });
    default:
        return {};
    }
}

// How each picture is made; whether it needs the music font.
struct TMaker {
    std::function<QImage()> make;
    bool needsMusicFont = true;
};

const std::vector<std::pair<std::string, TMaker>>& Makers() {
    static const std::vector<std::pair<std::string, TMaker>> makers = [] {
        std::vector<std::pair<std::string, TMaker>> m;
        auto glyph = [&](const char* name, char32_t cp) { m.push_back({name, {[cp] { return Glyph(cp); }}}); };
        // The symbol table, in its order.
        m.push_back({"ij", {[] { return TextChar("Noto Sans CJK SC", QString::fromUtf8("\xE5\xBB\xBE")); }, false}});
        glyph("GClef", 0xE050);
        glyph("FClef", 0xE062);
        glyph("CClef", 0xE05C);
        glyph("Natural", 0xE261);
        glyph("Flat", 0xE260);
        glyph("4_4Signature", 0xE08A);
        glyph("PaddleDown", 0xE650);
        glyph("PaddleUp", 0xE655);
        glyph("SFlat", 0xE567); // the turn's second form
        m.push_back({"StartBrack", {StartBracket, false}});
        glyph("DnTail", 0xE241);
        glyph("UpTail", 0xE240);
        glyph("GongChiLowDot", 0xE1E7);
        glyph("Brace2", 0xE000);
        m.push_back({"gita", {ChordGrid, false}});
        m.push_back({"3QFlat", {[] { return GlyphPair(0xE280, 0xE260, 0.1); }}});
        glyph("FlatBack", 0xE280);
        glyph("DSharp", 0xE263);
        glyph("SWave", 0xE56C);
        glyph("LWave", 0xE56E);
        glyph("SWave1", 0xE56D);
        m.push_back({"LWave1", {[] { return GlyphWithStroke(0xE56E); }}});
        glyph("U", 0xE4C0);
        glyph("Rest4th", 0xE4E5);
        glyph("Rest8th", 0xE4E6);
        glyph("Rest16th", 0xE4E7);
        glyph("Rest32th", 0xE4E8);
        glyph("Rest64th", 0xE4E9);
        glyph("Rest128th", 0xE4EA);
        // Note heads. The note drawer draws them from 0.2 column left of the
        // note (0.3 for the whole note) at a height of about one staff space;
        // the black and the half head are Bravura's 1.18 spaces wide, their
        // ink filling the picture from its left edge, where their stems expect.
        m.push_back({"noteS", {[] { return Head(0xE0A4, 1.18, 1.02, 1.0); }}});
        m.push_back({"noteH", {[] { return Head(0xE0A3, 1.18, 1.04, 1.0); }}});
        m.push_back({"noteF", {[] { return Head(0xE0A2, 1.7, 1.0, 1.0); }}});
        // Flags: "1" is the last flag of a note, "2" every other one.
        glyph("UpTail1", 0xE240);
        glyph("UpTail2", 0xE250);
        glyph("DnTail1", 0xE241);
        glyph("DnTail2", 0xE251);
        for (int i = 0; i < 9; ++i)
            m.push_back({"Instrument" + std::to_string(i), {[i] { return Instrument(i); }, false}});
        return m;
    }();
    return makers;
}

const TMaker* FindMaker(const std::string& name) {
    std::string key = Lower(name);
    for (const auto& [n, maker] : Makers())
        if (Lower(n) == key)
            return &maker;
    return nullptr;
}

} // namespace

bool HasSymbolImage(const std::string& name) {
    const TMaker* maker = FindMaker(name);
    return maker && QGuiApplication::instance() && (!maker->needsMusicFont || BravuraLoaded());
}

QImage SymbolImage(const std::string& name) {
    static std::map<std::string, QImage> cache;
    std::string key = Lower(name);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    if (!HasSymbolImage(name))
        return {};
    return cache.emplace(key, FindMaker(name)->make()).first->second;
}

std::vector<std::string> SymbolImageNames() {
    std::vector<std::string> names;
    for (const auto& entry : Makers())
        names.push_back(entry.first);
    return names;
}

QImage InstrumentImage(int index) {
    if (index < 0 || index > 8)
        return {};
    return SymbolImage("Instrument" + std::to_string(index));
}
