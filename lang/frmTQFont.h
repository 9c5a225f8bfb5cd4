#pragma once
// The font dialog: a text font with style, size, colour and frame for the
// selected cells, or one of the preference fonts for the preferences dialog.
//
// Cells name their font by a code for a preference font ("CN" Chinese, "EN"
// English, "NT" note font) or by its own name; the low bits of upNote hold the
// flags 1 (own style), 2 (own colour) and 4 (own name).
#include <QDialog>

#include <string>
#include <vector>

#include "model/modTQCell.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

// Font flags of a cell (low bits of upNote).
constexpr int kOwnStyleFlag = 1;
constexpr int kOwnColourFlag = 2;
constexpr int kOwnNameFlag = 4;

// The three font lists.
struct TFontLists {
    std::vector<std::string> West, Chinese, All;
};
// Adds one face as the system reports it: the full name to All; its family
// (" italic" and " bold" cut off) to West or Chinese by the script name, when
// it is a plain regular face ("@" vertical faces and light, narrow ... faces
// are left out).
void AddFontFace(TFontLists& lists, const std::string& fullName, const std::string& styleName,
                 const std::string& scriptName);

// The style bits in force for a cell of the font kind (GetFontKind).
int GetCellFontStyle(const TCell& cell, int kind);
// The colour in force for a cell: its own or the normal drawing colour.
int GetCellTextColour(const TCell& cell, int normalColour);

class TfrmSetFont : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetFont(QWidget* parent = nullptr);

    void FillFontLists();
    // Fills the lists from given faces (FillFontLists asks the font database).
    void FillFontLists(const std::vector<std::vector<std::string>>& faces);
    void ShowFontList();
    // -1 the selected cells; 3 the note or English preference font; 0 the
    // Chinese preference font (PreferenceFontName/Style say which is edited).
    bool LoadFont(int mode);
    void ApplyFontToSelection();
    void ResetSelectionFonts();
    int GetStyleBits() const;
    std::string FontName() const;
    void CSpinButton1UpClick();
    void CSpinButton1DownClick();
    void btnDefaultClick();
    void edtFontNameChange();

    // The preference font being edited in modes 0 and 3.
    std::string PreferenceFontName;
    int PreferenceFontStyle = 0;
    // The normal drawing colour (cells without their own colour).
    int NormalColour = 0;
    int TextColour = 0;
    bool DefaultRequested = false;

    TFontLists Lists;
    QListWidget* lstFontList = nullptr;
    QLineEdit* edtFontName = nullptr;
    QCheckBox *chkBold = nullptr, *chkItalic = nullptr, *chkUnderline = nullptr, *chkStrickout = nullptr,
              *chkBox = nullptr;
    QGroupBox* gbxTxSize = nullptr;
    QLineEdit* edtTextSize = nullptr;
    QLineEdit* edtTextColor = nullptr;
    QRadioButton *rbtWest = nullptr, *rbtChinese = nullptr, *rbtAll = nullptr;
    QPushButton *btnFontOk = nullptr, *btnButtonCancel = nullptr, *btnDefault = nullptr;
    QWidget* pbxExample = nullptr;

protected:
    // Takes its captions in the interface language.
    void showEvent(QShowEvent* event) override;

private:
    void ShowTextColour();
    bool selecting_ = false;
};
