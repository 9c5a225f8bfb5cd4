#include "notation/modTQArcArrows.h"

#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQMainView.h"

namespace {

enum TArc { arcC, arcD, arcE, arcF, arcA, arcB, arcG, arcH, arcI, arcJ };

struct TPointF {
    float x, y;
};

// One member of the family: its ellipse, the piece of it drawn and the head.
void DrawArcArrow(TArc which, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    const float W = static_cast<float>(MainView()->GetCellWidth());
    const float H = static_cast<float>(MainView()->GetCellHeight());
    const float s = cell.fontSizeR;
    const float d = s - 1.0f;
    const bool set = endFlag != 0;

    float p = 0.6f;
    float cx = 0.0f, cy = 0.0f, rx = 0.0f, ry = 0.0f;
    const float rxCD = (0.55f + 0.8f * d) * W * k, ryCD = (0.35f + 0.4f * d) * H * k;
    const float rxEF = (0.65f + 0.8f * d) * W * k, ryEF = (0.35f + 0.4f * d) * H * k;
    const float rxAB = (0.6f + 0.8f * d) * W * k, ryAB = (0.3f + 0.4f * d) * H * k;
    const float rxG = (0.4f + 0.8f * d) * W * k, ryG = (0.2f + 0.4f * d) * H * k;
    float head = 0.15f;
    switch (which) {
    case arcC:
        p = 0.8f;
        cx = x + (0.3f - 0.3f * d) * W * k, cy = y + (0.6f - 0.4f * d) * H * k, rx = rxCD, ry = ryCD;
        break;
    case arcD:
        p = 0.8f;
        cx = x + (0.8f + 0.3f * d) * W * k, cy = y + (0.6f - 0.4f * d) * H * k, rx = rxCD, ry = ryCD;
        break;
    case arcE:
        cx = x + (0.8f + 0.3f * d) * W * k, cy = y + (0.91f - 0.1f * d) * H * k, rx = rxEF, ry = ryEF;
        break;
    case arcF:
        cx = x + (0.2f - 0.3f * d) * W * k, cy = y + 0.95f * H * k, rx = rxEF, ry = ryEF;
        break;
    case arcA:
        cx = x + (1.0f + 0.7f * d) * W * k, cy = y + (0.72f - 0.2f * d) * H * k, rx = rxAB, ry = ryAB;
        break;
    case arcB:
        cx = x + (0.0f - 0.7f * d) * W * k, cy = y + (0.72f - 0.3f * d) * H * k, rx = rxAB, ry = ryAB;
        break;
    case arcG:
        head = 0.1f;
        cx = x + 0.5f * W * k, cy = y + (1.05f + 0.22f * d) * H * k, rx = rxG, ry = ryG;
        break;
    case arcH:
        head = 0.1f;
        cx = x + 0.5f * W * k, cy = y + (0.72f - 0.4f * d) * H * k, rx = rxG, ry = ryG;
        break;
    case arcI:
        cx = x + 0.5f * W * k, cy = y + (0.75f - 0.37f * d) * H * k, rx = rxG, ry = ryG;
        break;
    case arcJ:
        head = 0.1f;
        cx = x + 0.5f * W * k, cy = y + (0.77f - 0.3f * d) * H * k, rx = rxG, ry = ryG;
        break;
    }

    const int savedPen = GetPenWidth();
    SetPenWidthScaled(0.027f * s * p * k);

    // The arc runs counter-clockwise from the ray through the start point to
    // the ray through the end point.
    TPointF a{}, b{};
    switch (which) {
    case arcC: a = {cx, cy + ry}, b = {cx + rx, cy}; break;
    case arcD: a = {cx - rx, cy}, b = {cx, cy + ry}; break;
    case arcE: a = {cx, cy - ry}, b = {cx - rx, cy}; break;
    case arcF: a = {cx + rx, cy}, b = {cx, cy - ry}; break;
    case arcA: a = {cx - rx / 2, cy - ry / 2}, b = {cx - rx / 2, cy + ry / 2}; break;
    case arcB: a = {cx + rx / 2, cy + ry / 2}, b = {cx + rx / 2, cy - ry / 2}; break;
    case arcG: a = {cx + rx / 2, cy - ry / 2}, b = {cx - rx / 2, cy - ry / 2}; break;
    case arcH: a = {cx - rx / 2, cy + ry / 2}, b = {cx + rx / 2, cy + ry / 2}; break;
    case arcI: a = {cx - rx / 2, cy - ry / 2}, b = {cx + rx / 2, cy - ry / 2}; break;
    case arcJ: a = {cx + rx / 2, cy + ry / 2}, b = {cx - rx / 2, cy + ry / 2}; break;
    }
    DrawArc(cx - rx, cy - ry, cx + rx, cy + ry, a.x, a.y, b.x, b.y);

    // The head: its tip, and the point it opens toward.
    const float q = 0.08f * W * s * k;
    const float size = head * W * s * k;
    TPointF tip{}, open{};
    switch (which) {
    case arcC:
        if (set) {
            tip = {cx + rx, cy}, open = {cx + 0.98f * rx, cy + q};
        } else {
            tip = {cx - (0.15f + 0.1f * d) * W, cy + ry - 0.005f * d * H};
            open = {tip.x + q, tip.y - 0.25f * q};
        }
        break;
    case arcD:
        if (set) {
            tip = {cx - rx, cy}, open = {cx - 0.98f * rx, cy + q};
        } else {
            tip = {cx + (0.15f + 0.2f * d) * W, cy + ry};
            open = {tip.x - q, tip.y - 0.25f * q};
        }
        break;
    case arcE:
        if (set) {
            tip = {cx + (0.15f + 0.2f * d) * W, cy - ry}, open = {tip.x - q, tip.y};
        } else {
            tip = {cx - rx - 0.01f * W, cy}, open = {cx - rx, cy - q};
        }
        break;
    case arcF:
        if (set) {
            tip = {cx - (0.15f + 0.2f * d) * W, cy + ry - (0.7f + 0.79f * d) * H}, open = {tip.x + q, tip.y};
        } else {
            tip = {cx - rx + (1.29f + 1.6f * d) * W, cy}, open = {cx - rx + (1.28f + 1.6f * d) * W, cy - q};
        }
        break;
    case arcA: {
        const float tx = cx - rx / 2 - (0.106f + 0.13f * d) * W;
        if (set) {
            tip = {tx, cy - ry / 2 - (0.07f + 0.1f * d) * H}, open = {tip.x - 0.4f * q, tip.y + 0.5f * q};
        } else {
            tip = {tx, cy - ry / 2 + (0.36f + 0.5f * d) * H}, open = {tip.x - 0.4f * q, tip.y - 0.5f * q};
        }
        break;
    }
    case arcB:
        if (set) {
            tip = {cx - rx / 2 + (0.7f + 0.95f * d) * W, cy - ry / 2 - (0.07f + 0.1f * d) * H};
            open = {tip.x + 0.4f * q, tip.y + 0.5f * q};
        } else {
            tip = {cx - rx / 2 + (0.7f - 0.13f * d) * W, cy - ry / 2 + (0.36f - 0.1f * d) * H};
            open = {tip.x + 0.4f * q, tip.y - 0.5f * q};
        }
        break;
    case arcG:
        if (set) {
            tip = {cx - rx / 2 + (0.55f + d) * W, cy - 0.36f * ry - (0.05f + 0.12f * d) * H};
            open = {tip.x - 0.4f * q, tip.y - 0.3f * q};
        } else {
            tip = {cx - rx / 2 - (0.15f + 0.2f * d) * W, cy - 0.36f * ry - (0.04f + 0.12f * d) * H};
            open = {tip.x + 0.4f * q, tip.y - 0.35f * q};
        }
        break;
    case arcH: {
        const float ty = cy - 0.36f * ry + (0.2f + 0.42f * d) * H;
        if (set) {
            tip = {cx - rx / 2 - (0.11f + 0.2f * d) * W, ty}, open = {tip.x + 0.4f * q, tip.y + 0.25f * q};
        } else {
            tip = {cx - rx / 2 + (0.55f + d) * W, ty}, open = {tip.x - 0.4f * q, tip.y + 0.2f * q};
        }
        break;
    }
    case arcI:
        tip = {cx - rx / 2 + (0.42f + 0.95f * d) * W, cy - ry / 2 - (0.07f + 0.1f * d) * H};
        open = {tip.x + 0.4f * q, tip.y + 0.5f * q};
        break;
    case arcJ:
        tip = {cx - rx / 2 + (0.42f + 0.95f * d) * W, cy - ry / 2 + (0.27f + 0.5f * d) * H};
        open = {tip.x + 0.4f * q, tip.y - 0.5f * q};
        break;
    }
    DrawArrowHead(tip.x, tip.y, open.x, open.y, size);

    SetPenWidth(savedPen);
}

} // namespace

void DrawCurvedArrowVectorC(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcC, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorD(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcD, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorE(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcE, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorF(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcF, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorA(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcA, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorB(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcB, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorG(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcG, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorH(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcH, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorI(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcI, x, y, cell, endFlag, k);
}
void DrawCurvedArrowVectorJ(TDrawEngine*, float x, float y, const TCell& cell, uint8_t endFlag, float k) {
    DrawArcArrow(arcJ, x, y, cell, endFlag, k);
}
