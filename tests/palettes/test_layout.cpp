#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <fstream>
#include <sstream>
#include <tuple>

#include "palettes/modTQLayout.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQMessage.h"
#include "tests/support/TQTestSupport.h"

namespace {

// A palette of tabs holding buttons of 23 x 23 pixels.
class FakePages : public TLayoutPages {
public:
    FakePages(int tabs, int width, int height) : tabs_(tabs), width_(width), height_(height) {}
    // Adds a button at grid place (row, column) of tab page.
    int Add(int page, int tag, int row, int column) {
        TLayoutButtonRef b;
        b.button = int(buttons.size());
        b.tag = tag;
        b.left = column * 23;
        b.top = row * 23;
        b.width = b.height = 23;
        b.glyphWidth = b.glyphHeight = 15;
        buttons.push_back(b);
        pageOf.push_back(page);
        return b.button;
    }
    int PageCount() const override { return tabs_; }
    int ControlWidth() const override { return width_; }
    int SheetHeight() const override { return height_; }
    std::vector<TLayoutButtonRef> Buttons(int page) const override {
        std::vector<TLayoutButtonRef> out;
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (pageOf[i] == page) out.push_back(buttons[i]);
        return out;
    }
    void PlaceButton(int button, int page, int left, int top) override {
        pageOf[std::size_t(button)] = page;
        buttons[std::size_t(button)].left = left;
        buttons[std::size_t(button)].top = top;
    }
    std::vector<TLayoutButtonRef> buttons;
    std::vector<int> pageOf;

private:
    int tabs_, width_, height_;
};

std::string ReadText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::vector<int> Tags(const TLayoutMgr& m) {
    std::vector<int> t;
    for (int i = 0; i < m.Count(); ++i) t.push_back(m.Item(i).tag);
    return t;
}

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override { SetMessageBoxes(&rec); }
    void TearDown() override { SetMessageBoxes(nullptr); }
    // One page of 2 x 2 holding Tags 6, 5, 7 in reading order.
    void MakeExample() {
        pages.Add(0, 6, 0, 0);
        pages.Add(0, 5, 0, 1);
        pages.Add(0, 7, 1, 0);
        mgr.CollectButtons(pages);
    }
    std::string Write(const std::string& name, const std::string& text) {
        std::string path = dir.str() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::vector<int> ShownIds() const {
        std::vector<int> ids;
        for (const auto& r : rec.shown) ids.push_back(r.id ? r.id : std::atoi(r.text.c_str()));
        return ids;
    }
    tqtest::TempDir dir;
    TMessageRecorder rec;
    FakePages pages{1, 2 * 23 + 1, 2 * 23 + 1};
    TLayoutMgr mgr{23, 23};
};

TEST_F(LayoutTest, SavesTheExampleLayoutLineForLineAndReadsItBack) {
    MakeExample();
    EXPECT_EQ(mgr.Columns(), 2);
    EXPECT_EQ(mgr.Rows(), 2);
    const std::string path = dir.str() + "/custom.sly";
    ASSERT_TRUE(mgr.SaveLayoutFile(kSpecialLayoutId, path));
    EXPECT_EQ(ReadText(path), "423423132\n520\n1 2 2\n23 23\n3\n6 0 0 0\n5 0 0 1\n7 0 1 0\n");

    TLayoutMgr other(23, 23);
    ASSERT_TRUE(other.LoadLayoutFile(kSpecialLayoutId, path, pages, true));
    EXPECT_TRUE(rec.shown.empty());
    ASSERT_EQ(other.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(other.Item(i).tag, mgr.Item(i).tag);
        EXPECT_EQ(other.Item(i).row, mgr.Item(i).row);
        EXPECT_EQ(other.Item(i).column, mgr.Item(i).column);
        EXPECT_EQ(other.Item(i).button, mgr.Item(i).button);
    }
    EXPECT_TRUE(other.changed);
    EXPECT_TRUE(other.saved);
}

TEST_F(LayoutTest, ReadsCrLfFilesAndAppliesTheOrder) {
    MakeExample();
    const std::string path =
        Write("a.sly", "423423132\r\n520\r\n1 2 2\r\n23 23\r\n3\r\n7 0 0 0\r\n6 0 0 1\r\n5 0 1 0\r\n");
    ASSERT_TRUE(mgr.LoadLayoutFile(kSpecialLayoutId, path, pages, true));
    EXPECT_EQ(Tags(mgr), (std::vector<int>{7, 6, 5}));
    mgr.ArrangeButtons(pages);
    // Button of Tag 7 (handle 2) now stands at row 0, column 0.
    EXPECT_EQ(pages.buttons[2].left, 0);
    EXPECT_EQ(pages.buttons[2].top, 0);
    EXPECT_EQ(pages.buttons[1].left, 0);
    EXPECT_EQ(pages.buttons[1].top, 23);
}

TEST_F(LayoutTest, DamagedFilesAreRefusedAndChangeNothing) {
    MakeExample();
    const std::string good = "423423132\n520\n1 2 2\n23 23\n3\n7 0 0 0\n6 0 0 1\n5 0 1 0\n";
    struct Case {
        const char* name;
        std::string text;
        int id;
        int message;
    } cases[] = {
        {"special file read by Dynamic Marks", good, kDynMarkLayoutId, 2908},
        {"old version", "423423132\n519\n1 2 2\n23 23\n3\n7 0 0 0\n6 0 0 1\n5 0 1 0\n",
         kSpecialLayoutId, 2910},
        {"page beyond the tabs", "423423132\n520\n7 2 2\n23 23\n1\n7 6 0 0\n", kSpecialLayoutId, 2908},
        {"slot outside its grid", "423423132\n520\n1 2 2\n23 23\n1\n7 0 2 0\n", kSpecialLayoutId, 2908},
        {"cut after two of three slot lines", "423423132\n520\n1 2 2\n23 23\n3\n7 0 0 0\n6 0 0 1\n",
         kSpecialLayoutId, 2908},
        {"too many slots", "423423132\n520\n1 2 2\n23 23\n10001\n", kSpecialLayoutId, 2908},
        {"zero rows", "423423132\n520\n1 0 2\n23 23\n0\n", kSpecialLayoutId, 2908},
        {"three values on a slot line", "423423132\n520\n1 2 2\n23 23\n1\n7 0 0\n", kSpecialLayoutId,
         2908},
        {"text in a number", "423423132\n520\n1 2 2\n23 23\n1\n7 0 0 x\n", kSpecialLayoutId, 2908},
        {"number too large", "423423132\n520\n1 2 2\n23 23\n1\n99999999999 0 0 0\n", kSpecialLayoutId,
         2908},
        {"empty file", "", kSpecialLayoutId, 2908},
        {"two slots on one place", "423423132\n520\n1 2 2\n23 23\n3\n7 0 0 0\n6 0 0 0\n5 0 1 0\n",
         kSpecialLayoutId, 2908},
        {"junk after the slots", good + "1 2 3 4\n", kSpecialLayoutId, 2908},
        // Tags 6 and 5 are missing: their buttons would be appended on a
        // second page that this one-tab palette does not have.
        {"needs a page the palette lacks", "423423132\n520\n1 1 1\n23 23\n1\n7 0 0 0\n",
         kSpecialLayoutId, 2908},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write("bad.sly", c.text);
        rec.Clear();
        EXPECT_FALSE(mgr.LoadLayoutFile(c.id, path, pages, true));
        EXPECT_EQ(ShownIds(), std::vector<int>{c.message});
        EXPECT_EQ(Tags(mgr), (std::vector<int>{6, 5, 7}));
        EXPECT_EQ(mgr.Rows(), 2);
        EXPECT_EQ(mgr.Pages(), 1);
        EXPECT_FALSE(mgr.changed);
        // At start-up the same file is refused silently.
        rec.Clear();
        EXPECT_FALSE(mgr.LoadLayoutFile(c.id, path, pages, false));
        EXPECT_TRUE(rec.shown.empty());
    }
    rec.Clear();
    EXPECT_FALSE(mgr.LoadLayoutFile(kSpecialLayoutId, dir.str() + "/missing.sly", pages, false));
    EXPECT_EQ(ShownIds(), std::vector<int>{1044});
}

TEST_F(LayoutTest, BindingPlacesUnknownButtonsAfterTheLastSlotAndFillsHolesFromTheEnd) {
    FakePages two(2, 2 * 23 + 1, 2 * 23 + 1);
    two.Add(0, 1, 0, 0);
    two.Add(0, 2, 0, 1);
    two.Add(0, 3, 1, 0);
    two.Add(0, 4, 1, 1);
    two.Add(1, 5, 0, 0);
    // The file lacks Tag 5 and names Tag 99, which no button has.
    const std::string path = Write(
        "b.sly", "423423132\n520\n1 2 2\n23 23\n4\n4 0 0 0\n99 0 0 1\n3 0 1 0\n2 0 1 1\n");
    TLayoutMgr m(23, 23);
    m.CollectButtons(two);
    ASSERT_TRUE(m.LoadLayoutFile(kSpecialLayoutId, path, two, true));
    // Tag 1 and 5 were appended (page 1); Tag 5 came last and fills the hole of 99.
    EXPECT_EQ(Tags(m), (std::vector<int>{4, 5, 3, 2, 1}));
    EXPECT_EQ(m.Item(4).page, 1);
    EXPECT_EQ(m.Pages(), 2);
}

TEST_F(LayoutTest, TwoButtonsWithOneTagKeepTwoSlots) {
    pages.Add(0, 120, 0, 0);
    pages.Add(0, 8, 0, 1);
    pages.Add(0, 120, 1, 0);
    mgr.CollectButtons(pages);
    const std::string path =
        Write("c.sly", "423423132\n520\n1 2 2\n23 23\n3\n120 0 0 0\n120 0 0 1\n8 0 1 0\n");
    ASSERT_TRUE(mgr.LoadLayoutFile(kSpecialLayoutId, path, pages, true));
    EXPECT_EQ(mgr.Item(0).button, 0);
    EXPECT_EQ(mgr.Item(1).button, 2);
    EXPECT_EQ(mgr.Item(2).button, 1);
}

TEST_F(LayoutTest, DraggingMovesButtonsBetweenSlots) {
    // One page of 3 x 2 with six buttons, Tags 10..15 in reading order.
    FakePages p(2, 3 * 23 + 1, 2 * 23 + 1);
    for (int i = 0; i < 6; ++i) p.Add(0, 10 + i, i / 3, i % 3);
    p.Add(1, 20, 0, 0);
    TLayoutMgr m(23, 23);
    m.CollectButtons(p);
    ASSERT_EQ(m.Count(), 7);
    auto centre = [&](int page, int row, int column, int& x, int& y) {
        x = column * 23 + page * (3 * 23 + 10) + 11;
        y = row * 23 + 24 + 11;
    };
    int x0, y0, x1, y1;
    struct Case {
        const char* name;
        int fromRow, fromCol, toPage, toRow, toCol;
        std::vector<int> tags;
    } cases[] = {
        // Going back, the slot under the image's right edge is taken.
        {"onto an earlier slot inserts and shifts toward the end", 1, 1, 0, 0, 0,
         {10, 14, 11, 12, 13, 15, 20}},
        {"onto a later slot shifts toward the start", 0, 0, 0, 1, 0, {11, 12, 13, 10, 14, 15, 20}},
        {"onto an empty place moves it to the last slot", 0, 1, 1, 1, 2,
         {10, 12, 13, 14, 15, 20, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLayoutMgr d = m;
        centre(0, c.fromRow, c.fromCol, x0, y0);
        centre(c.toPage, c.toRow, c.toCol, x1, y1);
        ASSERT_EQ(d.DragBegin(x0, y0), lhHit);
        d.DragMove((x0 + x1) / 2, (y0 + y1) / 2);
        EXPECT_TRUE(d.DragEnd(x1, y1));
        EXPECT_EQ(Tags(d), c.tags);
        EXPECT_TRUE(d.changed);
        EXPECT_FALSE(d.saved);
    }
    // Released above the grid or right of the last page: nothing changes.
    for (int target : {0, 1}) {
        TLayoutMgr d = m;
        centre(0, 0, 0, x0, y0);
        ASSERT_EQ(d.DragBegin(x0, y0), lhHit);
        if (target == 0)
            EXPECT_FALSE(d.DragEnd(x0, 5 + 4)); // image top lands at y < 24
        else
            EXPECT_FALSE(d.DragEnd(x0 + 2 * (3 * 23 + 10) + 40, y0));
        EXPECT_EQ(Tags(d), Tags(m));
        EXPECT_FALSE(d.changed);
        EXPECT_FALSE(d.Dragging());
    }
    TLayoutHit hit;
    EXPECT_EQ(m.DragBegin(5, 10), lhAbove);
    EXPECT_EQ(m.HitTest(2 * 23 + 5, 24 + 23 + 5, hit), lhHit);
    EXPECT_EQ(hit.index, 5);
    EXPECT_EQ(m.HitTest(3 * 23 + 10 + 30, 30, hit), lhNoSlot);
    EXPECT_EQ(m.LayoutWidth(), 2 * (3 * 23 + 10) + 10);
}

TEST_F(LayoutTest, PaintingDrawsEverySlotAndTheDragImageOverThem) {
    MakeExample();
    auto paint = [&](const TLayoutMgr& m, std::vector<std::tuple<int, int, int>>& faces) {
        QImage img(200, 120, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        m.PaintLayout(p, [&](QPainter&, int button, int x, int y) { faces.emplace_back(button, x, y); });
        p.end();
        return img;
    };
    std::vector<std::tuple<int, int, int>> faces;
    QImage img = paint(mgr, faces);
    // Slots at x = column * 23 + 1, y = row * 23 + 30, each with its button's face.
    EXPECT_EQ(faces, (std::vector<std::tuple<int, int, int>>{{0, 1, 30}, {1, 24, 30}, {2, 1, 53}}));
    EXPECT_EQ(img.pixel(1, 30), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(24 + 22, 30 + 22), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(30, 60), qRgb(255, 255, 255)); // the empty fourth place
    // While dragging, the image follows the mouse and is drawn last.
    ASSERT_EQ(mgr.DragBegin(11, 24 + 11), lhHit);
    mgr.DragMove(11 + 40, 24 + 11 + 40);
    faces.clear();
    img = paint(mgr, faces);
    ASSERT_EQ(faces.size(), 4u);
    EXPECT_EQ(faces.back(), std::make_tuple(0, mgr.DragImageX(), mgr.DragImageY()));
    EXPECT_EQ(mgr.DragImageX(), 40); // source origin -4, glyph centred (+4), moved by 40
    EXPECT_EQ(img.pixel(mgr.DragImageX(), mgr.DragImageY() + 10), qRgb(255, 255, 0));
    mgr.DragEnd(11, 5); // released on the header band: nothing moves
    faces.clear();
    paint(mgr, faces);
    EXPECT_EQ(faces.size(), 3u);
    EXPECT_EQ(Tags(mgr), (std::vector<int>{6, 5, 7}));
}

TEST_F(LayoutTest, TheLayoutKeysLiveInSectionLayoutOfTheSettings) {
    EXPECT_EQ(TLayoutMgr::ReadLayoutKey("SP_Layout"), "");
    TLayoutMgr::WriteLayoutKey("/x/custom.sly", "SP_Layout");
    TLayoutMgr::WriteLayoutKey("/x/custom.dly", "DM_Layout");
    EXPECT_EQ(TLayoutMgr::ReadLayoutKey("SP_Layout"), "/x/custom.sly");
    EXPECT_EQ(TLayoutMgr::ReadLayoutKey("DM_Layout"), "/x/custom.dly");
}

} // namespace
