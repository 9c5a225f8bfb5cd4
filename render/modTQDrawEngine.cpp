#include "render/modTQDrawEngine.h"
#include "render/modTQDrawTextSym.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"
#include "notation/modTQNotationApi.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQStrings.h"
#include "platform/gui/TQBitmap.h"
#include "render/modTQBarLine.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawGrace.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQDrawVertical.h"
#include "render/modTQDrawWest.h"
#include "render/modTQMainView.h"
#include "render/modTQOverlay.h"
#include "render/modTQUnderline.h"

namespace {

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

// "Page n", or the Chinese label built from strings 1003 and 1005.
std::string PageLabel(int n, const char* gap) {
    if (UseChineseStrings())
        return GetStringById(1003) + gap + std::to_string(n) + gap + GetStringById(1005);
    return "Page " + std::to_string(n);
}

// Puts CurLayer back when a layer pass ends, also by an error.
class TLayerGuard {
public:
    TLayerGuard() : saved_(CurLayer) {}
    ~TLayerGuard() { CurLayer = saved_; }
    int saved() const { return saved_; }

private:
    int saved_;
};

} // namespace

void TDrawEngine::DrawPage(int colFrom, int rowFrom, int colTo, int rowTo, bool useBitmap, bool wholePage) {
    TMainView* mv = MainView();
    const int step = mv->GongChiMode ? 2 : 1;

    // A draw starts at full size, whatever the last row of an earlier draw left.
    SetSizeFactor(1.0f);
    ReducedRunEnd = -1;

    if (!wholePage) {
        if (colFrom < 0)
            colFrom = 0;
        else if (mv->GongChiMode && colFrom % 2 != 0)
            colFrom -= 1;
        if (rowFrom < -1)
            rowFrom = -1;
        if (colTo >= mv->Cols)
            colTo = mv->Cols;
        else if (mv->GongChiMode && colTo % 2 != 0)
            colTo += 1;
        if (rowTo > mv->Rows + 1)
            rowTo = mv->Rows + 1;
    }

    TOutCanvasGuard guard(mv);
    TCanvas* screen = mv->PaintBoxCanvas ? mv->PaintBoxCanvas : guard.saved();
    const bool viaBitmap = mv->OutputKind == 0 && mv->SliceView == 0 && WorkBitmap && useBitmap;
    if (viaBitmap) {
        if (!WorkBitmap->SetSize(GetPageWidthPx(), GetPageHeightPx()))
            throw std::runtime_error("work bitmap too large for this zoom");
        mv->OutCanvas = &WorkBitmap->Canvas();
    }

    const int u = mv->GetCellWidth();
    const int v = mv->GetCellHeight();
    const int L = GetLeftMarginPx();
    const int T = GetTopMarginPx();
    const int pageW = GetPageWidthPx();
    const int pageH = GetPageHeightPx();
    TRect copyRect{std::max(0, colFrom * u - L), std::max(0, rowFrom * v - T), std::min(pageW - 1, L + colTo * u),
                   std::min(pageH - 1, T + rowTo * v)};
    rowFrom = std::max(rowFrom, 0);
    rowTo = std::min(rowTo, mv->Rows);
    TRect grid{L + colFrom * u, T + rowFrom * v, L + colTo * u, T + rowTo * v};

    // Background.
    SetBrushColor(BkColor);
    if (!DrawPageBackground(this)) {
        if (wholePage)
            FillCanvasRect(TRect{0, 0, pageW, pageH});
        else
            FillCanvasRect(grid);
    }

    if (!mv->Highlights.empty() && mv->OutputKind == 0)
        DrawHighlights(this);

    if (mv->ShowGrid) {
        SetCanvasFont("Arial", 0, mv->NoteFontStyle);
        SetPenColor(mv->OutputKind == 2 ? 0x000080 : GridColor);
        SetFontColor(0x000040);
        SetFontSize(mv->GetDrawScale() * 0.6f);
        SetBrushStyle(bsClear);
        SetPenWidth(1);
        SetPenStyle(psSolid);
        const bool marking = mv->OutputKind == 0 && mv->mitShowOwnerCellChecked;
        const float numberY = static_cast<float>(T) - static_cast<float>(mv->Zoom * 5.0);
        for (int c = colFrom; c <= colTo; c += step) {
            const float x = static_cast<float>(L + c * u);
            const bool middle = marking && c == mv->Cols / 2;
            if (middle)
                SetPenColor(RedColor);
            DrawLine(x, static_cast<float>(grid.Top), x, static_cast<float>(grid.Bottom));
            if (middle)
                SetPenColor(GridColor);
            if (wholePage) {
                if (mv->GongChiMode) {
                    if (c > 0)
                        CanvasTextOutCentered(x - static_cast<float>(u), numberY, std::to_string(c / 2));
                } else if (c % 2 != 0) {
                    CanvasTextOutCentered(x - static_cast<float>(u) / 2.0f, numberY, std::to_string(c));
                }
            }
        }
        for (int r = rowFrom; r <= rowTo; ++r) {
            const float y = static_cast<float>(T + r * mv->GetCellHeight());
            DrawLine(static_cast<float>(grid.Left), y, static_cast<float>(grid.Right), y);
            if (wholePage && r > 0)
                CanvasTextOutRight(static_cast<float>(L) - static_cast<float>(mv->Zoom * 10.0),
                                   y - static_cast<float>(v) * 0.55f, std::to_string(r));
        }
        if (wholePage && mv->GongChiMode && colTo % 2 != 0)
            DrawLine(static_cast<float>(grid.Right), static_cast<float>(grid.Top), static_cast<float>(grid.Right),
                     static_cast<float>(grid.Bottom));
        SetPenStyle(psSolid);
    }

    if (wholePage)
        DrawLayers(colFrom, rowFrom, colTo, rowTo);
    else
        DrawLayers(0, std::max(0, rowFrom - 1), mv->Cols, std::min(mv->Rows, rowTo + 1));

    if (mv->SliceView > 0) {
        SetCanvasFont(mv->MainFontName, mv->MainFontCharset, -1);
        SetFontSize(9.0f);
        CanvasTextOut(static_cast<float>((grid.Left + grid.Right) / 2 - 20), static_cast<float>(grid.Bottom + 12),
                      PageLabel(mv->CurPage + 1, ""));
    }

    if (viaBitmap) {
        if (wholePage) {
            screen->Draw(0, 0, *WorkBitmap);
        } else if (copyRect.Right > copyRect.Left && copyRect.Bottom > copyRect.Top) {
            TBitmap part(copyRect.Width(), copyRect.Height());
            part.Canvas().Draw(-copyRect.Left, -copyRect.Top, *WorkBitmap);
            screen->Draw(copyRect.Left, copyRect.Top, part);
        }
        mv->OutCanvas = screen;
    }
    SetBrushStyle(bsClear);

    if (mv->OutputKind == 2 || mv->OutputKind == 1)
        DrawPageFooter(grid);
}

void TDrawEngine::DrawPageFooter(const TRect& grid) {
    TMainView* mv = MainView();
    const float xu = XUnit();
    const float yu = YUnit();
    const float size = static_cast<float>(mv->FooterFontSize - 1) * mv->GetDrawScale() * 0.1f;
    SetFontSize(size);
    // The page is headed by the score's title, whole: from the grid's left
    // edge, in a smaller size when it would run past the page's right edge.
    if (!mv->PrintTitle.empty()) {
        // The title is score text: bytes of the Chinese code page (ASCII included).
        if (auto title = DecodeForDisplay(mv->PrintTitle, csGB2312)) {
            const float room = static_cast<float>(mv->OutCanvas->Size().cx - grid.Left) - xu;
            const int width = mv->OutCanvas->TextWidth(*title);
            if (room > 0.0f && width > room)
                SetFontSize(size * room / static_cast<float>(width));
            CanvasTextOut(static_cast<float>(grid.Left), static_cast<float>(grid.Top) - yu, *title);
            SetFontSize(size);
        }
    }
    if (mv->PageNumberBase > 0)
        CanvasTextOut(static_cast<float>((grid.Left + grid.Right) / 2) - xu, static_cast<float>(grid.Bottom) + xu,
                      PageLabel(mv->CurPage + mv->PageNumberBase, " "));
    if (mv->OutputKind == 1 && mv->chkIncludeFileNameChecked)
        CanvasTextOutRight(static_cast<float>(mv->OutCanvas->Size().cx) - 2.0f * xu, yu / 2.0f, mv->FileName);
}

void TDrawEngine::DrawLayers(int colFrom, int rowFrom, int colTo, int rowTo) {
    TMainView* mv = MainView();
    const int kind = mv->OutputKind;
    {
        TLayerGuard layerGuard;
        CurLayer = CurLayer == 0 ? 1 : 0;
        if (static_cast<int>(mv->PageSets[CurLayer].size()) > mv->CurPage) {
            if (kind == 3 || mv->PlayerPlaying)
                CurColor = MainLayerColor;
            else if (kind == 0 && mv->SliceView == 0)
                CurColor = HidenLayerColor;
            else if (kind == 1 || kind == 2)
                CurColor = MainLayerColor; // paper and pictures: never a colour left by the screen
            DrawCells(colFrom, rowFrom, colTo, rowTo);
        }
    }
    CurColor = MainLayerColor;
    if (static_cast<int>(mv->PageSets[CurLayer].size()) > mv->CurPage) {
        if (kind == 0 && CurLayer == 1 && mv->SliceView == 0)
            CurColor = BackLayerColor;
        DrawCells(colFrom, rowFrom, colTo, rowTo);
    }
    if (kind == 0)
        DrawCurrentSelection(this);
}

void TDrawEngine::DrawCells(int colFrom, int rowFrom, int colTo, int rowTo) {
    TMainView* mv = MainView();
    // Every row asks for its staff group; the groups are walked once, and each
    // row is judged Jianpu music or not once (drawing changes no cell).
    TRowGroupWalkScope groupWalk;
    TJianpuRowAnswerScope jianpuRows;
    BeatTicksByRow.clear();
    SetPenColor(CurColor);
    SetFontColor(CurColor);
    SetPenWidthScaled(0.027f);

    if (mv->CurPage < 0)
        mv->CurPage = 0;
    if (CurLayer < 0 || CurLayer > 1)
        return;
    TLayer& layer = mv->PageSets[CurLayer];
    if (layer.empty() || static_cast<size_t>(mv->CurPage) >= layer.size())
        return;
    TPage& page = layer[static_cast<size_t>(mv->CurPage)];
    if (page.empty())
        return;
    const TPage* basePage = static_cast<size_t>(mv->CurPage) < mv->PageSets[0].size()
                                ? &mv->PageSets[0][static_cast<size_t>(mv->CurPage)]
                                : nullptr;

    // The range never reaches past the allocated page (its spare row and column included).
    rowFrom = std::max(rowFrom, 0);
    colFrom = std::max(colFrom, 0);
    rowTo = std::min(rowTo, static_cast<int>(page.size()));

    // The offset unit at full size, so cells after a reduced-size run are not
    // moved by a reduced unit.
    const float a = 0.1f * static_cast<float>(GetBaseYUnit());
    const TColor entryColour = CurColor;
    const int left = GetLeftMarginPx();
    const int top = GetTopMarginPx();

    for (int r = rowFrom; r < rowTo; ++r) {
        const bool westRow = IsWestRow(r, 0, mv->CurPage);
        SetSizeFactor(1.0f);
        ReducedRunEnd = -1;
        DrawScratch[5] = 0;
        const float y = static_cast<float>(r * GetBaseYUnit() + top);
        float b = 0.125f * YUnit();
        GetRowGroup(r, -1);

        TCellRow& cells = page[static_cast<size_t>(r)];
        const int rowEnd = std::min(colTo, static_cast<int>(cells.size()));
        const TCellRow* baseRow =
            basePage && static_cast<size_t>(r) < basePage->size() ? &(*basePage)[static_cast<size_t>(r)] : nullptr;

        for (int c = colFrom; c < rowEnd; ++c) {
            TCell& cell = cells[static_cast<size_t>(c)];
            const TCell& base =
                baseRow && static_cast<size_t>(c) < baseRow->size() ? (*baseRow)[static_cast<size_t>(c)] : ResetStateCell();
            const float x = static_cast<float>(left + c * mv->GetCellWidth());
            mv->OutCanvas->SetOwner(c, r);
            if (ReducedRunEnd > 0 && ReducedRunEnd < c) {
                SetSizeFactor(1.0f);
                ReducedRunEnd = -1;
                // The first cell after the run moves by eighths of the full unit.
                b = 0.125f * YUnit();
            }
            const float dx = a * cell.xAdj;
            const float dy = (cell.cellType == ctWestern ? b : a) * cell.yAdj;
            if (IsOwnColourCellType(cell) && (cell.upNote & 2))
                CurColor = cell.FontColor;

            if (IsClefCell(base) && base.Note != -15) {
                if (base.playDur & 0x20) {
                    SetSizeFactor(0.7f);
                    ReducedRunEnd = base.iEnd;
                }
                mv->CurClef = base.Note;
                DrumTabRow = base.Note == -4 || base.Note == -6;
                if (CurLayer == 0)
                    DrawWestStaffHeader(this, x + 0.2f * XUnit(), y + 0.7f * YUnit(), cell, c, r);
            } else {
                const float px = x + dx, py = y + dy;
                switch (cell.cellType) {
                case ctJianpu:
                    DrawJianpuCell(this, px, py, cell, c, r);
                    break;
                case ctSymbol:
                    if (IsPercussionSyllableCell(cell)) {
                        DrawSpecialSymbol(this, px, py - 0.05f * YUnit(), cell.Note, c, r);
                        DrawJianpuNoteMarks(this, x, y + 0.1f * YUnit(), cell.option, 0, c, r);
                    } else {
                        const float sy = IsWestAccidentalAt(c, r) ? y + b * cell.yAdj : py;
                        if (AttrHasNibble(cell.Attr, 0xA0))
                            DrawCellSymbolList(this, px, sy, cell, c, r);
                        else
                            DrawStackedSymbols(this, px, sy, cell, c, r);
                    }
                    break;
                case ctText:
                    DrawTextCell(this, px, py, cell, c, r);
                    break;
                case ctTempo:
                    DrawTempoMark(this, px, py, c, r);
                    break;
                case ctImage:
                    if (!IsBackgroundImageCell(c, r, CurLayer, mv->CurPage))
                        DrawInsertedImage(this, px, py, cell);
                    break;
                case ctWestern:
                    if (cell.Note == 63)
                        DrawThickBarLine(this, px, y, c, YUnit(), cell);
                    else if (IsBarLineCell(cell))
                        DrawRepeatBar(this, px, y, cell, c, r);
                    DrawWestCellDispatch(this, x + 0.2f * XUnit(), y + 0.7f * YUnit() + (IsClefCell(cell) ? 0.0f : dy),
                                         c, r, cell);
                    break;
                case ctTimeSig:
                    DrawTimeSignature(this, px, py, cell, IsWestRow(r, c, mv->CurPage));
                    break;
                case ctGongche:
                    DrawGongcheCell(this, px, py, cell);
                    break;
                case ctTextSymbol:
                    DrawTextSymbol(this, px, py + DynamicDropUnderStaff(this, c, r, px, py, cell), cell);
                    break;
                case ctSoundEffect:
                    DrawInstrumentMark(this, px, py, cell);
                    break;
                default:
                    break;
                }
                if (!westRow && cell.UL != 0)
                    DrawJianpuUnderlines(this, px, py, cell, c, r);
                if (mv->mitShowOwnerCellChecked && mv->OutputKind == 0 && cell.cellType != ctWestern &&
                    (cell.xAdj < -3.0f || cell.xAdj > 3.0f || cell.yAdj < -3.0f || cell.yAdj > 3.0f))
                    DrawOffsetArrow(this, x, y, dx, dy);
            }
            b = 0.125f * YUnit();
            CurColor = entryColour;
        }

        // Spanning marks of the row, over all of its cells. A cell without a
        // mark draws nothing here; the others are drawn from a copy.
        for (int c = colFrom; c < rowEnd; ++c) {
            const TCell* found = PeekCell(c, r);
            if (!found || found->markType == 0)
                continue;
            TCell cell = *found;
            const float x = static_cast<float>(left + c * mv->GetCellWidth());
            mv->OutCanvas->SetOwner(c, r);
            const float dx = a * cell.xAdj;
            if (IsOwnColourCellType(cell) && (cell.upNote & 2))
                CurColor = cell.FontColor;
            float dy;
            if (!westRow)
                dy = a * cell.yAdj;
            else if ((cell.markType == 4 || cell.markType == 5 || cell.markType == 6) && (cell.option & 0x80000))
                dy = 0.0f;
            else
                dy = b * cell.yAdj;
            if (cell.markType != 0)
                DrawLongSymbol(this, x + dx, y + dy, cell, c, r);
            CurColor = entryColour;
        }
    }

    mv->OutCanvas->SetOwner(-1, -1);
    // Whoever measures rows after a draw sees the full-size unit.
    SetSizeFactor(1.0f);
    ReducedRunEnd = -1;
    SetPenWidthScaled(0.027f);
}

bool IsOwnColourCellType(const TCell& cell) {
    return cell.cellType == ctJianpu || cell.cellType == ctText || cell.cellType == ctTextSymbol;
}

void DrawJianpuCell(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row) {
    TMainView* mv = MainView();
    if (cell.markType >= 32 && cell.markType <= 37)
        return;
    if (d->ShowChangedRed && IsJianpuSound(cell) && (mv->OutputKind == 0 || mv->OutputInColor) &&
        (HasNotesVolAdj(cell) || cell.playDur != 0 || HasCrescRateAdj(cell) || HasRitArpRateAdj(cell)))
        SetFontColor(GetHighlightColor(d));
    switch (cell.Note) {
    case 63:
        DrawThickBarLine(d, x, y, col, YUnit(), cell);
        return;
    case 58:
    case 59:
    case 60:
    case 61:
    case 62:
        DrawRepeatBar(d, x, y, cell, col, row);
        return;
    default:
        break;
    }
    if (IsShrinkCell(cell))
        DrawShrinkCell(d, col, row, x, y);
    else if (IsVerticalCell(cell))
        DrawVerticalChord(d, x, y, col, row, cell);
    else if (IsGraceCell(cell))
        DrawGraceCell(d, x, y, col, row);
    else
        DrawJianpuNote(d, x, y, cell, col, row);
}

void DrawSlashMarks(TDrawEngine* d, float x, float y, const TCell& cell, int n) {
    SetBrushStyle(bsSolid);
    SetBrushColor(d->CurColor);
    const float f = cell.fontSizeR;
    const float s = 0.70710678f; // sin 45 degrees
    const float k = 0.70710678f; // cos 45 degrees
    const float L = 0.3f * XUnit() * f / k;
    const float T = 0.03f * YUnit() * f / s;
    float sx = x + 0.2f * XUnit();
    float sy = y + 0.79f * YUnit();
    for (int i = 0; i < n; ++i) {
        std::vector<TPoint> q{{RoundToInt(sx), RoundToInt(sy)},
                              {RoundToInt(sx + T * s), RoundToInt(sy + T * k)},
                              {RoundToInt(sx + T * s + L * k), RoundToInt(sy + T * k - L * s)},
                              {RoundToInt(sx + L * k), RoundToInt(sy - L * s)}};
        FillPolygon(q, 3);
        sx += 2.0f * T * s;
        sy += 2.0f * T * k;
    }
    SetBrushStyle(bsClear);
    SetPenWidthScaled(0.027f);
}

void DrawAsteriskSymbol(TDrawEngine*, float x, float y, const TCell& cell, float factor) {
    SetCanvasFont("Arial", -1, -1);
    SetBrushStyle(bsClear);
    SetFontSize(PagePixelPoints(XUnit() * cell.fontSizeR * 0.7f * factor));
    CanvasTextOut(x, y, "*");
}

void DrawTextCircle(TDrawEngine*, float x, float y, const TCell& cell, TSize extent, float factor) {
    SetBrushStyle(bsClear);
    const float hw = static_cast<float>(extent.cx) * 0.83f * factor;
    const float hh = static_cast<float>(extent.cy) * 0.83f * factor;
    const float cx = x + XUnit();
    const float cy = y + YUnit();
    SetPenWidthScaled(0.038f * cell.fontSizeR);
    DrawEllipse(cx - hw, cy - hh, cx + hw, cy + hh);
    SetPenWidthScaled(0.027f);
}
