#pragma once
// The four symbol palettes as stay-on-top tool windows: Special Symbols,
// Dynamic Marks (both with the layout edit mode), Gongche and Text Symbols.
// Every button carries its symbol code as its Tag; a click runs the plain
// operation of the palette (palettes/modTQ*.h).
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "palettes/modTQLayout.h"
#include "palettes/modTQSpecial.h"

class QTabWidget;
class QStackedWidget;
class QToolBar;
class QSpinBox;
class TLayoutView;

// A palette's speed button: its face, and the quick-key label (the
// "KeyHintText" property, see SetKeyHintText) drawn in its corner.
class TSymbolButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* e) override;
};

// One button of a palette page.
struct TPaletteButton {
    int tag;
    const char* caption; // UTF-8; nullptr: a face drawn by the score's drawers
    const char* hint;
    std::function<void()> action = nullptr; // its own handler instead of the palette's
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

    // What the buttons without a caption show (a TPaletteFaceKind); the faces
    // are drawn when the window is first shown.
    void SetFaceKind(int kind) { faceKind_ = kind; }
    void DrawFaces();
    // The quick-key labels of the buttons, or none when show is false.
    void ShowKeyHints(bool show);
    // Sets the quick-key labels (none when show is false).
    std::function<void(TfrmPalette& form, bool show)> OnKeyHints;
    // Whether the main window wants the labels shown.
    std::function<bool()> KeyHintsWanted;
    // The main window's flag that says the palette is shown.
    std::function<void(bool shown)> SetVisibleFlag;
    // The window became the active one.
    std::function<void()> OnActivate;
    QToolBar* ToolBar() const { return toolBar_; }
    // Every speed button and tool-bar button of the palette with that Tag.
    std::vector<QAbstractButton*> ButtonsWithTag(int tag) const;

    QTabWidget* Pages() const { return pages_; }
    std::vector<QToolButton*> ButtonsOfPage(int page) const;
    // Moves the window so that it lies inside the available screen.
    void KeepOnScreen();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void changeEvent(QEvent* e) override;
    QToolBar* toolBar_ = nullptr;
    QStackedWidget* notebook_ = nullptr;
    QTabWidget* pages_ = nullptr;
    int buttonSize_;
    std::function<void(int)> onClick_;
    bool editMode_ = false;
    int faceKind_ = -1;
    bool facesDrawn_ = false;
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
    // The save dialog's choice: the default extension added when the name has
    // none, and an existing file replaced only when the user agrees (2701).
    // The current layout file stays. False when nothing was written.
    bool SaveLayoutAs(const std::string& chosen);
    // The string ids of the open and save dialogs (title; filter at id + 1).
    void TagLayoutDialogs(int open, int save);
    // The layout file to save to or to load, asked in a file dialog that starts
    // at the current layout file; "" when cancelled.
    QString AskLayoutFile(bool save);
    // The string ids of the layout buttons: rearrange, exit, save, apply, load.
    void TagLayoutButtons(int customerize, int exit, int save, int apply, int load);
    // Tool-bar entries hidden while the layout is edited.
    std::vector<QAction*> HiddenWhileEditing;
    std::vector<QWidget*> BarsHiddenWhileEditing;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    class TPagesAdapter;
    std::unique_ptr<TPagesAdapter> adapter_;
    std::unique_ptr<TLayoutMgr> layout_;
    TLayoutView* view_ = nullptr;
    int paletteId_;
    int openDialogTag_ = 0, saveDialogTag_ = 0;
    std::string key_, layoutFile_, prevLayoutFile_;
    QAction *btnCustomerize_ = nullptr, *btnExitCustom_ = nullptr, *btnSaveCustom_ = nullptr,
            *btnApplyCustom_ = nullptr, *btnLoadLayout_ = nullptr;
    int savedWidth_ = 0, savedHeight_ = 0;
};

// The four palettes. Each is made, with its buttons, tool bars and events,
// by its Create function; the classes name the windows.
class TfrmSpecial : public TfrmLayoutPalette {
    Q_OBJECT
public:
    using TfrmLayoutPalette::TfrmLayoutPalette;
};

class TfrmDynMark : public TfrmLayoutPalette {
    Q_OBJECT
public:
    using TfrmLayoutPalette::TfrmLayoutPalette;
};

class TfrmGongChi : public TfrmPalette {
    Q_OBJECT
public:
    using TfrmPalette::TfrmPalette;
    // A character typed in the main window while Gongche entry is on.
    void EnterGongcheChar(int c);
};

class TfrmTextSymbols : public TfrmPalette {
    Q_OBJECT
public:
    using TfrmPalette::TfrmPalette;
    QSpinBox* spnSymSize = nullptr;
    // Shows the score's text-symbol size without an undo item or the
    // modified flag (after a score is opened).
    void SetSymbolSizeQuietly(int value);

protected:
    void showEvent(QShowEvent* e) override;
};

TfrmSpecial* CreateSpecialPalette(QWidget* parent);
TfrmDynMark* CreateDynMarkPalette(QWidget* parent);
TfrmGongChi* CreateGongChiPalette(QWidget* parent);
// The Special Symbols palette's position buttons and its Delete button.
void SpecialPositionClick(TSymbolPosition position);
void btnDeleteSymClick();
TfrmTextSymbols* CreateTextSymbolsPalette(QWidget* parent);

// Runs a palette command with the modifier keys held at the click added to
// the main window's key flags; a flag the click added is dropped afterwards.
void RunWithClickModifiers(const std::function<void()>& command);

// The layout folder in the user folder, created when missing.
std::string LayoutFolder();
