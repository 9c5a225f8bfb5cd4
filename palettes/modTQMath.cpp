#include "palettes/modTQMath.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "model/modTQMainScore.h"
#include "palettes/modTQPaletteHooks.h"
#include "platform/core/TQCodec.h"
#include "render/modTQMainView.h"

namespace {

const char kTimes[] = "\xA1\xC1"; // × in GBK
const char kDivide[] = "\xA1\xC2"; // ÷ in GBK

std::string Gbk(const char* utf8) {
    std::string out;
    Utf8ToCharset(utf8, 134, out);
    return out;
}

std::string N(int v) { return std::to_string(v); }

void PutText(TMainScore& s, int page, int col, int row, const std::string& text) {
    auto& pages = s.PageSets[0];
    if (page >= int(pages.size()) || row >= int(pages[std::size_t(page)].size())) return;
    auto& r = pages[std::size_t(page)][std::size_t(row)];
    if (col < 0 || col >= int(r.size())) return;
    r[std::size_t(col)].cellType = 3;
    r[std::size_t(col)].Text = text;
}

} // namespace

TMathSheet::TMathSheet() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    Seed(uint32_t(std::time(nullptr)) ^ uint32_t(now));
    Today = [] {
        const std::time_t t = std::time(nullptr);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%d", std::localtime(&t));
        return std::string(buf);
    };
}

int TMathSheet::R(int n) {
    // xorshift32: one sequence per run, never reseeded between sheets.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return int(state_ % uint32_t(n));
}

TMathExercise TMathSheet::Addition() {
    const int a = 5 + R(95), b = 5 + R(95);
    return {N(a) + " + " + N(b), a + b};
}

TMathExercise TMathSheet::Subtraction() {
    const int a = 5 + R(95), b = 5 + R(95);
    return {N(std::max(a, b)) + " - " + N(std::min(a, b)), std::max(a, b) - std::min(a, b)};
}

TMathExercise TMathSheet::Product() {
    const int a = 2 + R(8), b = 2 + R(8);
    return {N(a) + " " + kTimes + " " + N(b), a * b};
}

TMathExercise TMathSheet::Quotient() {
    const int a = 3 + R(7), b = 2 + R(8);
    return {N(a * b) + " " + kDivide + " " + N(a), b};
}

TMathExercise TMathSheet::Make(int kind) {
    switch (kind) {
    case 0:
    case 7: {
        const int m = 11 + R(99);
        const int c = R(2);
        TMathExercise in;
        do in = c == 1 ? Subtraction() : Addition();
        while (m - in.result < 0);
        return {N(m) + " - (" + in.text + ")", m - in.result};
    }
    case 1: {
        TMathExercise in;
        do in = Subtraction();
        while (in.result < 16);
        int d;
        do d = 5 + R(50);
        while (in.result - d < 1);
        return {in.text + " - " + N(d), in.result - d};
    }
    case 2: {
        int a, b;
        do {
            a = 2 + R(8);
            b = 2 + R(8);
        } while (!(a + b >= 2 && a + b < 10));
        const int c = 2 + R(8);
        const std::string sum = N(a) + " + " + N(b);
        const std::string text = R(2) == 1 ? N(c) + " " + kTimes + " (" + sum + ")"
                                           : "(" + sum + ") " + kTimes + " " + N(c);
        return {text, (a + b) * c};
    }
    case 3: {
        int a, b;
        do {
            a = 10 + R(72);
            b = 2 + R(8);
        } while (!(a / b < 10 && a % b >= 1));
        return {N(a) + " " + kDivide + " " + N(b), a / b, a % b};
    }
    case 4: {
        const TMathExercise p = Product();
        const int d = 2 + R(97);
        return {R(2) == 1 ? p.text + " + " + N(d) : N(d) + " + " + p.text, p.result + d};
    }
    case 5: {
        const int d = 2 + R(99);
        const TMathExercise q = Quotient();
        if (q.result >= d) return {q.text + " - " + N(d), q.result - d};
        return {R(2) == 1 ? N(d) + " - " + q.text : N(d) + " - (" + q.text + ")", d - q.result};
    }
    case 6: {
        const int c = R(2);
        TMathExercise in;
        // No added number of 8..100 keeps a sum of 192 or more below 200:
        // such an inner exercise is drawn again.
        do in = c == 1 ? Subtraction() : Addition();
        while (in.result >= 192);
        int d;
        do d = 8 + R(93);
        while (in.result + d >= 200);
        return {R(2) == 1 ? in.text + " + " + N(d) : N(d) + " + " + in.text, in.result + d};
    }
    default: {
        int a, b;
        do {
            a = 3 + R(7);
            b = 2 + R(8);
        } while (a * b < 21);
        const int p = a * b;
        std::string text;
        if (R(2) == 1)
            text = R(2) == 1 ? N(a) + " " + kTimes + " [  ] = " + N(p) : "[  ] " + std::string(kTimes) + " " + N(a) + " = " + N(p);
        else
            text = N(p) + " " + kDivide + " [  ] = " + N(a);
        return {text, b};
    }
    }
}

void TMathSheet::WritePageToScore() {
    TMainScore* s = frmMainTQ;
    if (!s) return;
    const int t = std::max(0, s->Cols / 2 - 8);
    const int u = std::max(1, s->Cols - 5);
    const std::string date = Today ? Today() : std::string();
    const std::string number = Gbk("第 ") + N(PageNumber) + Gbk(" 页");
    PutText(*s, 0, t, 0, Gbk("数学练习题 - ") + date);
    PutText(*s, 0, u, 0, number);
    if (WithAnswers) {
        PutText(*s, 1, t, 0, Gbk("数学练习题答案  - ") + date);
        PutText(*s, 1, u, 0, number);
    }
}

bool TMathSheet::MakePage() {
    TMainView* v = MainView();
    if (!v->NewScore()) return false;
    if (WithAnswers) {
        v->CurPage = 1;
        v->AllocateCurrentLayerPage(1, true, 0, 0);
        v->CurPage = 0;
    }
    int n = 1;
    WritePageToScore();
    for (int row = 4; row < v->Rows; row += 5)
        for (int col = 2; col < v->Cols - 10; col += 20) {
            const int kind = R(9);
            const TMathExercise e = Make(kind);
            const std::string head = N(n) + ")  " + e.text;
            PutText(*v, 0, col, row, kind == 8 ? head : head + " = ");
            if (WithAnswers) {
                std::string answer = head;
                if (kind == 8) {
                    answer += ";  [" + N(e.result) + "]";
                } else {
                    answer += " = " + N(e.result);
                    if (kind == 3 && e.remainder != 0) answer += " ...... " + N(e.remainder);
                }
                PutText(*v, 1, col, row, answer);
            }
            ++n;
        }
    return true;
}

void TMathSheet::PrintSheets() {
    if (PageNumber < 1) PageNumber = 1;
    WritePageToScore();
    for (int printed = 1;; ++printed) {
        if (PaletteHooks().PrintScore) PaletteHooks().PrintScore(1, WithAnswers ? 2 : 1, 1);
        if (printed >= PrintCount) break;
        ++PageNumber;
        if (!MakePage()) break;
        MainView()->RedrawPage();
    }
}
