#include "render/modTQInkMeasure.h"

#include <QImage>
#include <algorithm>
#include <map>

#include "platform/gui/TQQtCanvas.h"
#include "render/modTQMainView.h"

namespace {
bool measuring = false;
} // namespace

bool MeasuringInk() { return measuring; }

TInkBox MeasureInk(const std::string& key, int reach, const std::function<void(float x, float y)>& draw) {
    TMainView* mv = MainView();
    TCanvas* out = mv->OutCanvas;
    const int ppi = out ? out->PixelsPerInch() : 96;
    const std::string full = key + "@" + std::to_string(ppi) + "/" + std::to_string(reach);
    thread_local std::map<std::string, TInkBox> known;
    const bool keep = !key.empty();
    if (keep)
        if (const auto it = known.find(full); it != known.end())
            return it->second;
    if (!out || measuring || reach <= 0)
        return TInkBox{};

    const int side = 2 * reach + 1;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    TInkBox box;
    {
        TQtCanvas scratch(&image, ppi);
        scratch.Pen = out->Pen;
        scratch.Brush = out->Brush;
        scratch.Font = out->Font;
        // dark on white, whatever colour the page uses
        scratch.Pen.Color = 0;
        scratch.Brush.Color = 0;
        scratch.Font.Color = 0;
        scratch.SelectLogFont(out->SelectedLogFont());
        {
            TOutCanvasGuard onScratch(mv, &scratch);
            struct TMeasuring {
                TMeasuring() { measuring = true; }
                ~TMeasuring() { measuring = false; }
            } flag;
            draw(static_cast<float>(reach), static_cast<float>(reach));
        }
        scratch.End();
    }
    int l = side, t = side, r = -1, b = -1;
    for (int y = 0; y < side; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < side; ++x)
            if (qGray(line[x]) < 250) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    }
    if (r >= 0) {
        for (int y = t; y <= b; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            int rl = side, rr = -1;
            for (int x = l; x <= r; ++x)
                if (qGray(line[x]) < 250) {
                    rl = std::min(rl, x);
                    rr = std::max(rr, x);
                }
            box.rowLeft.push_back(static_cast<float>(rl - reach));
            box.rowRight.push_back(static_cast<float>(rr + 1 - reach));
        }
        for (int x = l; x <= r; ++x) {
            int ct = side, cb = -1;
            for (int y = t; y <= b; ++y)
                if (qGray(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]) < 250) {
                    ct = std::min(ct, y);
                    cb = std::max(cb, y);
                }
            box.colTop.push_back(static_cast<float>(ct - reach));
            box.colBottom.push_back(static_cast<float>(cb + 1 - reach));
        }
        box.empty = false;
        box.left = static_cast<float>(l - reach);
        box.top = static_cast<float>(t - reach);
        box.right = static_cast<float>(r + 1 - reach);
        box.bottom = static_cast<float>(b + 1 - reach);
    }
    if (!keep)
        return box;
    if (known.size() > 4096)
        known.clear();
    known.emplace(full, box);
    return box;
}
