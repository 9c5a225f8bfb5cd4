#include "modTQLayout.h"

#include <QPainter>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

#include "lang/modTQPref.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQMessage.h"

namespace {

constexpr std::size_t kMaxLayoutFileBytes = 1 << 20;

// The whole-number fields of one line; false when anything else stands there.
bool LineInts(const std::string& line, std::vector<long long>& out) {
    out.clear();
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= n) break;
        long long v = 0;
        const char* b = line.data() + i;
        const char* e = line.data() + n;
        auto r = std::from_chars(b, e, v);
        if (r.ec != std::errc() || (r.ptr < e && *r.ptr != ' ' && *r.ptr != '\t')) return false;
        if (v < -2147483648LL || v > 2147483647LL) return false;
        out.push_back(v);
        i = std::size_t(r.ptr - line.data());
    }
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == text.size()) break;
        start = end + 1;
    }
    return lines;
}

} // namespace

bool ButLayoutLess(const TButLayout& a, const TButLayout& b) {
    if (a.page != b.page) return a.page < b.page;
    if (a.row != b.row) return a.row < b.row;
    return a.column < b.column;
}

TLayoutParseResult ParseLayoutText(const std::string& text, int expectedId, int maxPages,
                                   TLayoutFileData& out) {
    TLayoutFileData d;
    const std::vector<std::string> lines = SplitLines(text);
    std::vector<long long> v;
    auto line = [&](std::size_t i, std::size_t count) {
        return i < lines.size() && LineInts(lines[i], v) && v.size() == count;
    };
    if (!line(0, 1) || v[0] != expectedId) return lpFormat;
    d.paletteId = int(v[0]);
    if (!line(1, 1)) return lpFormat;
    if (v[0] != kLayoutVersion) return lpVersion;
    d.version = int(v[0]);
    if (!line(2, 3)) return lpFormat;
    d.pages = int(v[0]), d.rows = int(v[1]), d.columns = int(v[2]);
    if (d.pages < 1 || d.pages > maxPages || d.rows < 1 || d.columns < 1) return lpFormat;
    if (!line(3, 2)) return lpFormat;
    d.buttonWidth = int(v[0]), d.buttonHeight = int(v[1]);
    if (!line(4, 1) || v[0] < 0 || v[0] > kLayoutMaxSlots) return lpFormat;
    const std::size_t n = std::size_t(v[0]);
    d.slotLines.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (!line(5 + k, 4)) return lpFormat;
        TButLayout s;
        s.tag = int(v[0]), s.page = int(v[1]), s.row = int(v[2]), s.column = int(v[3]);
        if (s.page < 0 || s.page >= d.pages || s.row < 0 || s.row >= d.rows || s.column < 0 ||
            s.column >= d.columns)
            return lpFormat;
        d.slotLines.push_back(s);
    }
    // Two slots on one place would hide a button under another.
    std::vector<TButLayout> sorted = d.slotLines;
    std::sort(sorted.begin(), sorted.end(), ButLayoutLess);
    for (std::size_t k = 1; k < sorted.size(); ++k)
        if (!ButLayoutLess(sorted[k - 1], sorted[k])) return lpFormat;
    for (std::size_t k = 5 + n; k < lines.size(); ++k)
        if (!line(k, 0)) return lpFormat; // only blank lines may follow
    out = std::move(d);
    return lpOk;
}

TLayoutMgr::TLayoutMgr(int buttonWidth, int buttonHeight)
    : buttonWidth_(std::max(1, buttonWidth)), buttonHeight_(std::max(1, buttonHeight)) {}

void TLayoutMgr::CollectButtons(const TLayoutPages& pages) {
    columns_ = rows_ = count_ = 0;
    pages_ = pages.PageCount();
    dragging_ = false;
    items_.clear();
    for (int p = 0; p < pages_; ++p) {
        for (const TLayoutButtonRef& b : pages.Buttons(p)) {
            if (columns_ == 0 && rows_ == 0) {
                buttonWidth_ = std::max(1, b.width);
                buttonHeight_ = std::max(1, b.height);
                columns_ = std::max(1, int((pages.ControlWidth() + 1.0) / buttonWidth_));
                rows_ = std::max(1, int((pages.SheetHeight() + 1.0) / buttonHeight_));
            }
            ++count_;
            TButLayout s;
            s.button = b.button;
            s.page = p;
            s.row = (b.top + buttonHeight_ / 2) / buttonHeight_;
            s.column = (b.left + buttonWidth_ / 2) / buttonWidth_;
            s.tag = b.tag;
            s.glyphWidth = b.glyphWidth;
            s.glyphHeight = b.glyphHeight;
            items_.push_back(s);
        }
    }
    SortAndNumber();
}

void TLayoutMgr::SortAndNumber() {
    std::stable_sort(items_.begin(), items_.end(), ButLayoutLess);
    for (std::size_t i = 0; i < items_.size(); ++i) items_[i].index = int(i);
}

std::vector<TLayoutMgr::TPageMark> TLayoutMgr::BuildPageMarks(int parentHeight) {
    dragging_ = false;
    std::vector<TPageMark> marks;
    for (int i = 1; i < pages_; ++i)
        marks.push_back({true, i * columns_ * buttonWidth_ + (i - 1) * 10 + 28 - buttonWidth_, 0, 3,
                         parentHeight, ""});
    for (int i = 0; i < pages_; ++i)
        marks.push_back({false, i * (columns_ * buttonWidth_ + 10) + (columns_ * buttonWidth_) / 2 - 20,
                         5, 0, 0, "Page " + std::to_string(i + 1)});
    return marks;
}

void TLayoutMgr::SlotDrawPos(int i, int& x, int& y) const {
    const TButLayout& s = items_[std::size_t(i)];
    x = s.column * buttonWidth_ + s.page * (columns_ * buttonWidth_ + 10) + 1;
    y = s.row * buttonHeight_ + 30;
}

void TLayoutMgr::PaintLayout(QPainter& p, const TLayoutFaceDrawer& face) const {
    const int w = buttonWidth_, h = buttonHeight_;
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < Count(); ++i) {
        int x, y;
        SlotDrawPos(i, x, y);
        p.drawRect(x, y, w - 1, h - 1);
        if (face) face(p, items_[std::size_t(i)].button, x, y);
    }
    if (dragging_) {
        p.setPen(QPen(QColor(0xFF, 0xFF, 0x00), 2));
        p.drawRect(imageX_, imageY_, w - 1, h - 1);
        if (face) face(p, source_.button, imageX_, imageY_);
    }
    p.setPen(Qt::black);
}

int TLayoutMgr::HitTest(int x, int y, TLayoutHit& hit) const {
    if (y < 24) return lhAbove;
    if (columns_ <= 0) return lhRightOfPages;
    int page = -1;
    for (int p = 0; p < pages_; ++p) {
        if (x - columns_ * buttonWidth_ < 0) {
            page = p;
            break;
        }
        x -= 10 + columns_ * buttonWidth_;
    }
    if (page < 0) return lhRightOfPages;
    const int column = x / buttonWidth_;
    const int row = (y - 24) / buttonHeight_;
    for (const TButLayout& s : items_) {
        if (s.page == page && s.row == row && s.column == column) {
            hit = {s.button, s.page, s.row, s.column, s.index};
            return lhHit;
        }
    }
    return lhNoSlot;
}

int TLayoutMgr::DragBegin(int x, int y) {
    TLayoutHit hit;
    const int code = HitTest(x, y, hit);
    if (code != lhHit) return code;
    source_ = hit;
    pressX_ = x;
    pressY_ = y;
    dragging_ = true;
    originX_ = hit.column * buttonWidth_ + hit.page * (columns_ * buttonWidth_ + 10) - 4;
    originY_ = hit.row * buttonHeight_ + 24;
    const TButLayout& s = items_[std::size_t(hit.index)];
    originX_ += (buttonWidth_ - s.glyphWidth) / 2;
    originY_ += (buttonHeight_ - s.glyphHeight) / 2;
    imageX_ = originX_;
    imageY_ = originY_;
    return lhHit;
}

void TLayoutMgr::DragMove(int x, int y) {
    if (!dragging_) return;
    imageX_ = originX_ + (x - pressX_);
    imageY_ = originY_ + (y - pressY_);
}

bool TLayoutMgr::DragEnd(int x, int y) {
    if (!dragging_) return false;
    DragMove(x, y);
    dragging_ = false;
    TLayoutHit hit;
    int code = HitTest(imageX_, imageY_ + buttonHeight_ / 2, hit);
    if (code == lhHit && hit.index < source_.index)
        code = HitTest(imageX_ + buttonWidth_, imageY_ + buttonHeight_ / 2, hit);
    if (code == lhHit) return MoveButton(source_.index, hit.index);
    if (code == lhNoSlot) return MoveButton(source_.index, Count() - 1);
    return false;
}

bool TLayoutMgr::MoveButton(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) return false;
    auto carry = [](TButLayout& dst, const TButLayout& src) {
        dst.button = src.button;
        dst.tag = src.tag;
        dst.glyphWidth = src.glyphWidth;
        dst.glyphHeight = src.glyphHeight;
    };
    const TButLayout kept = items_[std::size_t(from)];
    if (from < to)
        for (int i = from + 1; i <= to; ++i) carry(items_[std::size_t(i - 1)], items_[std::size_t(i)]);
    else
        for (int i = from - 1; i >= to; --i) carry(items_[std::size_t(i + 1)], items_[std::size_t(i)]);
    carry(items_[std::size_t(to)], kept);
    changed = true;
    saved = false;
    return true;
}

bool TLayoutMgr::SaveLayoutFile(int paletteId, const std::string& fileName) {
    std::string text;
    char buf[96];
    auto add = [&](int n) { text.append(buf, std::size_t(std::max(0, n))); };
    add(std::snprintf(buf, sizeof buf, "%d\n", paletteId));
    add(std::snprintf(buf, sizeof buf, "%d\n", kLayoutVersion));
    add(std::snprintf(buf, sizeof buf, "%d %d %d\n", pages_, rows_, columns_));
    add(std::snprintf(buf, sizeof buf, "%d %d\n", buttonWidth_, buttonHeight_));
    add(std::snprintf(buf, sizeof buf, "%d\n", Count()));
    for (const TButLayout& s : items_)
        add(std::snprintf(buf, sizeof buf, "%d %d %d %d\n", s.tag, s.page, s.row, s.column));
    if (!WriteFileAtomic(fileName, text)) {
        MessageOkById(1043, fileName, mkError);
        return false;
    }
    saved = true;
    return true;
}

void TLayoutMgr::NextSlot(const std::vector<TButLayout>& list, int& pages, int& page, int& row,
                          int& column) const {
    if (list.empty()) {
        page = row = column = 0;
        return;
    }
    const TButLayout& last = list.back();
    page = last.page;
    row = last.row;
    column = last.column;
    if (column < columns_ - 1) {
        ++column;
    } else if (row < rows_ - 1) {
        ++row;
        column = 0;
    } else {
        row = column = 0;
        ++page;
        pages = std::max(pages, page + 1);
    }
}

bool TLayoutMgr::BindButtons(const TLayoutPages& pages) {
    std::vector<TButLayout> list = items_;
    int pageCount = pages_;
    // The n-th button with a Tag takes the n-th slot with it.
    std::map<int, int> seen;
    for (int p = 0; p < pages.PageCount(); ++p) {
        for (const TLayoutButtonRef& b : pages.Buttons(p)) {
            int nth = seen[b.tag]++;
            TButLayout* slot = nullptr;
            for (TButLayout& s : list)
                if (s.tag == b.tag && nth-- == 0) {
                    slot = &s;
                    break;
                }
            if (slot == nullptr) {
                TButLayout s;
                NextSlot(list, pageCount, s.page, s.row, s.column);
                list.push_back(s);
                slot = &list.back();
            }
            slot->button = b.button;
            slot->tag = b.tag;
            slot->glyphWidth = b.glyphWidth;
            slot->glyphHeight = b.glyphHeight;
        }
    }
    auto dropEmptyEnd = [&] {
        while (!list.empty() && list.back().button < 0) list.pop_back();
    };
    dropEmptyEnd();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].button >= 0) continue;
        const TButLayout last = list.back();
        list.pop_back();
        list[i].button = last.button;
        list[i].tag = last.tag;
        list[i].glyphWidth = last.glyphWidth;
        list[i].glyphHeight = last.glyphHeight;
        dropEmptyEnd();
    }
    for (const TButLayout& s : list)
        if (s.page >= pages.PageCount()) return false;
    items_ = std::move(list);
    pages_ = pageCount;
    SortAndNumber();
    return true;
}

bool TLayoutMgr::LoadLayoutFile(int paletteId, const std::string& fileName,
                                const TLayoutPages& pages, bool showMessages) {
    std::string text;
    if (FileLength(fileName) > std::int64_t(kMaxLayoutFileBytes)) {
        // Far longer than any layout: not a layout file.
        if (showMessages) MessageOkById(2908, fileName, mkError);
        return false;
    }
    if (!ReadWholeFile(fileName, text, kMaxLayoutFileBytes)) {
        MessageOkById(1044, fileName, mkError);
        return false;
    }
    TLayoutFileData data;
    const TLayoutParseResult r = ParseLayoutText(text, paletteId, pages.PageCount(), data);
    if (r != lpOk) {
        if (showMessages) MessageOkById(r == lpVersion ? 2910 : 2908, fileName, mkError);
        return false;
    }
    // Bind on a copy: a file that cannot be placed leaves everything as it was.
    TLayoutMgr trial(*this);
    trial.pages_ = data.pages;
    trial.rows_ = data.rows;
    trial.columns_ = data.columns;
    trial.items_ = data.slotLines;
    trial.dragging_ = false;
    trial.SortAndNumber();
    if (!trial.BindButtons(pages)) {
        if (showMessages) MessageOkById(2908, fileName, mkError);
        return false;
    }
    *this = trial;
    changed = true;
    saved = true;
    return true;
}

bool TLayoutMgr::ArrangeButtons(TLayoutPages& pages) const {
    for (const TButLayout& s : items_)
        if (s.button >= 0 && s.page < pages.PageCount())
            pages.PlaceButton(s.button, s.page, s.column * buttonWidth_, s.row * buttonHeight_);
    return true;
}

void TLayoutMgr::WriteLayoutKey(const std::string& fileName, const std::string& key) {
    TIniFile ini(PrefFileName());
    ini.WriteString("Layout", key, fileName);
}

std::string TLayoutMgr::ReadLayoutKey(const std::string& key) {
    TIniFile ini(PrefFileName());
    return ini.ReadString("Layout", key, "");
}
