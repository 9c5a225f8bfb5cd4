#pragma once
// The four symbol palettes as stay-on-top tool windows: Special Symbols,
// Dynamic Marks (both with the layout edit mode), Gongche and Text Symbols.
// Every button carries its symbol code as its Tag; a click runs the plain
// operation of the palette (palettes/modTQ*.h).
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "palettes/modTQLayout.h"

class QTabWidget;
class QToolButton;
class QStackedWidget;
class QToolBar;
class QSpinBox;
class TLayoutView;

// One button of a palette page.
struct TPaletteButton {
    int tag;
    const char* caption; // UTF-8; nullptr: the code is shown
    const char* hint;
};
struct TPalettePage {
    const char* caption;
    std::vector<TPaletteButton> buttons;
};

class TfrmPalette : public QWidget {
    Q_OBJECT
public:
    TfrmPalette(QWidget* parent, const QString& caption, int columns, int buttonSize,
                const std::vector<TPalettePage>& pages, std::function<void(int)> onClick);
    ~TfrmPalette() override;

    QTabWidget* Pages() const { return pages_; }
    std::vector<QToolButton*> ButtonsOfPage(int page) const;
    // Moves the window so that it lies inside the available screen.
    void KeepOnScreen();

protected:
    void showEvent(QShowEvent* e) override;
    QToolBar* toolBar_ = nullptr;
    QStackedWidget* notebook_ = nullptr;
    QTabWidget* pages_ = nullptr;
    int buttonSize_;
    std::function<void(int)> onClick_;
    bool editMode_ = false;
};

// A palette whose buttons can be rearranged and stored in a layout file.
class TfrmLayoutPalette : public TfrmPalette {
    Q_OBJECT
public:
    TfrmLayoutPalette(QWidget* parent, const QString& caption, int columns, int buttonSize,
                      const std::vector<TPalettePage>& pages, std::function<void(int)> onClick,
                      int paletteId, const std::string& key, const std::string& defaultFile);
    ~TfrmLayoutPalette() override;

    TLayoutMgr& Layout() { return *layout_; }
    const std::string& LayoutFile() const { return layoutFile_; }
    bool InEditMode() const { return editMode_; }
    void btnCustomerizeClick();
    void btnExitCustomClick();
    void btnApplyCustomClick();
    // The file chosen by the user ("" when cancelled).
    void LoadLayout(const std::string& fileName);
    void SaveLayout(const std::string& fileName);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    class TPagesAdapter;
    std::unique_ptr<TPagesAdapter> adapter_;
    std::unique_ptr<TLayoutMgr> layout_;
    TLayoutView* view_ = nullptr;
    int paletteId_;
    std::string key_, layoutFile_, prevLayoutFile_;
    QAction *btnCustomerize_ = nullptr, *btnExitCustom_ = nullptr, *btnSaveCustom_ = nullptr,
            *btnApplyCustom_ = nullptr, *btnLoadLayout_ = nullptr;
    int savedWidth_ = 0, savedHeight_ = 0;
};

TfrmLayoutPalette* CreateSpecialPalette(QWidget* parent);
TfrmLayoutPalette* CreateDynMarkPalette(QWidget* parent);
TfrmPalette* CreateGongChiPalette(QWidget* parent);
TfrmPalette* CreateTextSymbolsPalette(QWidget* parent);

// The layout folder in the user folder, created when missing.
std::string LayoutFolder();
