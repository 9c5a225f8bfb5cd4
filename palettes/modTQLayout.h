#pragma once
// Arrangement of a palette's speed buttons (Special Symbols, Dynamic Marks).
//
// In the layout edit mode the buttons of all tab pages are shown side by side;
// the user drags a button onto another place and the new order can be applied,
// saved to a layout file (".sly", ".dly") and restored at the next start.
//
// The manager knows nothing of symbols or widgets: it sees the palette through
// TLayoutPages, where a button is a handle given by the palette and is known in
// a layout file by its Tag.
//
// Layout file, one value per field as decimal text, lines ended by LF (CR LF is
// read as well):
//   palette id (423423132 Special Symbols, 670982365 Dynamic Marks)
//   520                      format version
//   pages rows columns
//   buttonWidth buttonHeight (read and ignored)
//   N
//   N lines "tag page row column", in the list's sorted order
// A file is read whole into a temporary and checked before anything changes.
#include <functional>
#include <string>
#include <vector>

class QPainter;

constexpr int kSpecialLayoutId = 423423132;
constexpr int kDynMarkLayoutId = 670982365;
constexpr int kLayoutVersion = 520;
constexpr int kLayoutMaxSlots = 10000;

// One button of a palette as the manager sees it.
struct TLayoutButtonRef {
    int button = -1; // the palette's handle
    int tag = 0;
    int left = 0, top = 0;
    int width = 0, height = 0;
    int glyphWidth = 0, glyphHeight = 0; // 0 when the button shows a caption only
};

// The palette's page control.
class TLayoutPages {
public:
    virtual ~TLayoutPages() = default;
    virtual int PageCount() const = 0;
    virtual int ControlWidth() const = 0; // width of the page control
    virtual int SheetHeight() const = 0;  // height of one tab sheet
    // The speed buttons of tab sheet page, in child order.
    virtual std::vector<TLayoutButtonRef> Buttons(int page) const = 0;
    // Moves a button onto tab sheet page at (left, top).
    virtual void PlaceButton(int button, int page, int left, int top) = 0;
};

// One slot of the arrangement.
struct TButLayout {
    int button = -1; // handle of the button placed here, -1 when none
    int page = 0;
    int row = 0;
    int column = 0;
    int index = 0;
    int tag = 0;
    int glyphWidth = 0, glyphHeight = 0;
};

bool ButLayoutLess(const TButLayout& a, const TButLayout& b);

// Hit test results.
enum { lhHit = 0, lhAbove = 1, lhRightOfPages = 2, lhNoSlot = 3 };

struct TLayoutHit {
    int button = -1;
    int page = 0, row = 0, column = 0, index = -1;
};

// A layout file read and checked, not yet applied.
struct TLayoutFileData {
    int paletteId = 0;
    int version = 0;
    int pages = 0, rows = 0, columns = 0;
    int buttonWidth = 0, buttonHeight = 0;
    std::vector<TButLayout> slotLines; // tag, page, row, column
};

enum TLayoutParseResult { lpOk = 0, lpFormat = 1, lpVersion = 2 };
// Parses and checks the text of a layout file: the palette id must be
// expectedId, the version 520, pages 1..maxPages, rows and columns >= 1,
// 0 <= N <= 10000 and every slot line four integers within the grid.
TLayoutParseResult ParseLayoutText(const std::string& text, int expectedId, int maxPages,
                                   TLayoutFileData& out);

class TLayoutMgr {
public:
    TLayoutMgr(int buttonWidth, int buttonHeight);

    void CollectButtons(const TLayoutPages& pages);
    int Count() const { return int(items_.size()); }
    const TButLayout& Item(int i) const { return items_[std::size_t(i)]; }
    void SortAndNumber();
    int LayoutWidth() const { return pages_ * (columns_ * buttonWidth_ + 10) + 10; }

    struct TPageMark {
        bool separator; // a bevel line; else a caption label
        int left, top, width, height;
        std::string caption;
    };
    // Page captions and separators of the edit view (parentHeight: the edit
    // view's height).
    std::vector<TPageMark> BuildPageMarks(int parentHeight);

    // Where slot i is drawn on the edit view (top-left).
    void SlotDrawPos(int i, int& x, int& y) const;
    // Draws every slot of the edit view as a black frame with its button's
    // face and, while a drag lasts, the drag image over them (an overlay:
    // the view repaints it with every move). face(p, button, x, y) draws the
    // face of button in the buttonWidth x buttonHeight place at (x, y).
    using TLayoutFaceDrawer = std::function<void(QPainter& p, int button, int x, int y)>;
    void PaintLayout(QPainter& p, const TLayoutFaceDrawer& face) const;

    int HitTest(int x, int y, TLayoutHit& hit) const;
    int DragBegin(int x, int y);
    void DragMove(int x, int y);
    bool DragEnd(int x, int y);
    bool Dragging() const { return dragging_; }
    // Top-left of the drag image and the slot it comes from.
    int DragImageX() const { return imageX_; }
    int DragImageY() const { return imageY_; }
    const TLayoutHit& DragSource() const { return source_; }
    bool MoveButton(int from, int to);

    bool SaveLayoutFile(int paletteId, const std::string& fileName);
    bool LoadLayoutFile(int paletteId, const std::string& fileName, const TLayoutPages& pages,
                        bool showMessages);
    // Matches the slots read from a file with the palette's buttons; false
    // (and nothing changed) when the buttons would need a page the palette
    // does not have.
    bool BindButtons(const TLayoutPages& pages);
    bool ArrangeButtons(TLayoutPages& pages) const;

    static void WriteLayoutKey(const std::string& fileName, const std::string& key);
    static std::string ReadLayoutKey(const std::string& key);

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    int Pages() const { return pages_; }
    int ButtonWidth() const { return buttonWidth_; }
    int ButtonHeight() const { return buttonHeight_; }
    bool changed = false;
    bool saved = true;

private:
    // Slot after the last one of list (may open a new page).
    void NextSlot(const std::vector<TButLayout>& list, int& pages, int& page, int& row,
                  int& column) const;

    std::vector<TButLayout> items_;
    int columns_ = 0, rows_ = 0, count_ = 0, pages_ = 0;
    int buttonWidth_, buttonHeight_;
    bool dragging_ = false;
    int pressX_ = 0, pressY_ = 0;
    int imageX_ = 0, imageY_ = 0;
    int originX_ = 0, originY_ = 0;
    TLayoutHit source_;
};
