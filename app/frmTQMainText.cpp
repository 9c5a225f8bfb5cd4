// Text typed onto the page: the text box over the cursor cell and its button,
// the Text menu's commands (add, font, rotation, box) and the language switch.
#include "app/frmTQMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>

#include <algorithm>
#include <cmath>

#include "edit/frmTQWestNotes.h"
#include "edit/modTQCursorKeys.h"
#include "lang/frmTQFont.h"
#include "output/frmTQBook.h"
#include "play/frmTQPlay.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQMessage.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "model/modTQUtil.h"
#include "palettes/frmTQRotateText.h"
#include "palettes/frmTQText.h"
#include "palettes/modTQDialogs.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQMessage.h"
#include "platform/core/TQStrings.h"
#include "platform/gui/TQCanvas.h"

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

int StyleOf(const QFont& f) {
    return (f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) | (f.underline() ? fsUnderline : 0) |
           (f.strikeOut() ? fsStrikeOut : 0);
}

void SetStyle(QFont& f, int style) {
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
}

// A cell text (bytes in its charset) for the box.
QString CellTextForBox(const TCell& cell) {
    if (auto s = DecodeForDisplay(cell.Text.str(), cell.FontCharset))
        return Q(*s);
    return QString::fromLatin1(cell.Text.c_str());
}

} // namespace

// ---------------------------------------------------------------- the box

void TfrmMainTQ::EndTextEntry() {
    if (!btnEnterText || !btnEnterText->isChecked())
        return;
    ShowTextEntryBox(false);
    ActivateUSKeyboard();
    const QSignalBlocker block(btnEnterText);
    btnEnterText->setChecked(false);
}

void TfrmMainTQ::ShowTextEntryBox(bool show) {
    // Paste's state is saved when the box appears and given back when it goes
    const bool changes = edtEnterText->isVisibleTo(this) != show;
    edtEnterText->setVisible(show);
    for (QMenu* menu : {mitFile, mitView})
        menu->setEnabled(!show);
    mitFile->menuAction()->setEnabled(!show);
    mitView->menuAction()->setEnabled(!show);
    cbxPageNum->setEnabled(!show);
    for (const char* name : {"btnKeyboard", "btnGongChi"})
        if (QAction* a = CommandAction(name))
            a->setEnabled(!show);
    if (show && changes) {
        LeaveUSKeyboard();
        SavedPasteEnabled = Ed.PasteEnabled;
        const QMimeData* data = QApplication::clipboard()->mimeData();
        Ed.PasteEnabled = data && data->hasText();
        if (Ed.OnPasteEnabled)
            Ed.OnPasteEnabled(Ed.PasteEnabled);
    }
    if (show) {
        edtEnterText->raise();
        edtEnterText->setFocus();
    } else if (changes) {
        if (Ed.PasteEnabled != SavedPasteEnabled) {
            Ed.PasteEnabled = SavedPasteEnabled;
            if (Ed.OnPasteEnabled)
                Ed.OnPasteEnabled(Ed.PasteEnabled);
        }
        pbxMain->setFocus();
    }
}

void TfrmMainTQ::PlaceTextEntryBox(bool takeCellText) {
    const double U = GetCellHeight();
    const double V = GetCellWidth();
    const int x = GetLeftMargin() + SelCol0 * GetCellWidth();
    const int y = GetTopMargin() + SelRow0 * GetCellHeight();
    const int top = static_cast<int>(0.1 * U + y + 1 + 1.0);
    const int left = static_cast<int>(0.2 * V + x);
    const int height = std::max(1, static_cast<int>(0.85 * U));
    QFont f = edtEnterText->font();
    f.setPointSize(std::max(1, static_cast<int>(0.5 * U)));
    TCell cell;
    GetCursorCell(cell);
    if (takeCellText)
        edtEnterText->setText(CellTextForBox(cell));
    if (!cell.Text.empty()) {
        SetStyle(f, cell.FontStyle);
        TextBoxStyle = cell.FontStyle;
        const int kind = GetFontKind(cell.FontName.str());
        if (kind == 4) {
            f.setFamily(Q(cell.FontName.str()));
            TextBoxCharset = cell.FontCharset;
        } else if (TextMode == 1 || kind == 1) {
            f.setFamily(Q(ChineseFontName));
            TextBoxCharset = ChineseFontCharset;
        } else if (TextMode == 2 || kind == 2) {
            f.setFamily(Q(EnglishFontName));
            TextBoxCharset = EnglishFontCharset;
        }
    } else if (TextMode == 1) {
        f.setFamily(Q(ChineseFontName));
        TextBoxCharset = ChineseFontCharset;
        TextBoxStyle = ChineseFontStyle;
        SetStyle(f, ChineseFontStyle);
    } else {
        f.setFamily(Q(EnglishFontName));
        TextBoxCharset = EnglishFontCharset;
        TextBoxStyle = EnglishFontStyle;
        SetStyle(f, EnglishFontStyle);
    }
    edtEnterText->setFont(f);
    edtEnterText->setGeometry(left, top, edtEnterText->width(), height);
    FitTextEntryBox();
    ShowTextEntryBox(true);
}

void TfrmMainTQ::FitTextEntryBox() {
    const QString text = edtEnterText->text();
    int width = 10 * GetCellWidth();
    if (!text.isEmpty()) {
        // the text in the box's font, with room for the caret and frame
        const QFontMetrics fm(edtEnterText->font());
        width = fm.horizontalAdvance(text) + GetCellWidth() + 8;
    }
    edtEnterText->resize(std::max(1, width), edtEnterText->height());
}

void TfrmMainTQ::CommitTextEntry() {
    ShowTextEntryBox(false);
    const std::string utf8 = edtEnterText->text().trimmed().toStdString();
    bool ascii = true;
    for (unsigned char ch : utf8)
        ascii = ascii && ch < 0x80;
    // Texts are kept in the code page of their charset; a text the box's code
    // page cannot hold is kept in GBK.
    int charset = TextBoxCharset;
    std::string bytes = utf8;
    if (!ascii && !Utf8ToCharset(utf8, charset, bytes)) {
        charset = csGB2312;
        if (!Utf8ToCharset(utf8, charset, bytes)) {
            OnBeep();
            ShowTextEntryBox(true);
            return;
        }
    }
    if (!HasDoubleByteChar(bytes) || !IsDoubleByteCharset(charset))
        TextMode = 2;
    const bool keyText = bytes.rfind("1=", 0) == 0 || bytes.rfind("1 =", 0) == 0;
    if (keyText)
        CurLayer = 0;
    Undo.SaveUndo();
    auto& layer = PageSets[static_cast<std::size_t>(CurLayer)];
    if (CurPage < 0 || CurPage >= static_cast<int>(layer.size()) || !IsValidCellPos(SelCol0, SelRow0))
        return;
    TCell& cell = layer[static_cast<std::size_t>(CurPage)][static_cast<std::size_t>(SelRow0)]
                       [static_cast<std::size_t>(SelCol0)];
    cell.cellType = ctText;
    cell.Text = bytes;
    if (bytes.empty()) {
        ResetCell(cell);
    } else if (keyText) {
        cell.FontName = NoteFontName;
        cell.FontCharset = NoteFontCharset;
        cell.FontStyle = NoteFontStyle;
    } else {
        std::string name = edtEnterText->font().family().toStdString();
        cell.FontStyle = StyleOf(edtEnterText->font());
        cell.FontCharset = charset;
        if (name == EnglishFontName)
            name = "EN";
        else if (name == ChineseFontName)
            name = "CN";
        cell.FontName = name;
    }
    SetModified(true);
    if (keyText) {
        btnLayerImageIndex = 60;
        ShowControls();
    }
    RedrawCells(SelCol0, SelRow0, Cols - 1, std::min(Rows - 1, SelRow1 + 2));
}

void TfrmMainTQ::btnEnterTextClick() {
    if (btnEnterText->isChecked()) {
        edtEnterText->clear();
        TextMode = 1;
        PlaceTextEntryBox(true);
        ShowTextEntryBox(true);
    } else {
        ShowTextEntryBox(false);
        ActivateUSKeyboard();
    }
}

void TfrmMainTQ::edtEnterTextKeyDown(int key, bool ctrl) {
    if (!edtEnterText->isVisible())
        return;
    if (key == 13) {
        CommitTextEntry();
    } else if (key == 27) {
        ShowTextEntryBox(false);
    } else {
        if (key == 118 && ctrl)
            CtrlDown = true;
        FitTextEntryBox();
    }
}

void TfrmMainTQ::English1Click() {
    ActivateUSKeyboard();
    TextMode = 2;
    PlaceTextEntryBox(true);
}

void TfrmMainTQ::ChineseText1Click() {
    LeaveUSKeyboard();
    TextMode = 1;
    PlaceTextEntryBox(true);
}

bool TfrmMainTQ::TextEntryCopy() {
    if (!edtEnterText || !edtEnterText->isVisible())
        return false;
    if (edtEnterText->hasSelectedText())
        edtEnterText->copy();
    else
        QApplication::clipboard()->setText(edtEnterText->text());
    return true;
}

bool TfrmMainTQ::TextEntryPaste() {
    if (!edtEnterText || !edtEnterText->isVisible())
        return false;
    edtEnterText->paste();
    FitTextEntryBox();
    return true;
}

// ---------------------------------------------------------------- text commands

namespace {

// The normalised selection.
struct TSel {
    int c0, r0, c1, r1;
};
TSel Selection(const TMainScore& s) {
    return {std::max(0, std::min(s.SelCol0, s.SelCol1)), std::max(0, std::min(s.SelRow0, s.SelRow1)),
            std::min(s.Cols - 1, std::max(s.SelCol0, s.SelCol1)), std::min(s.Rows - 1, std::max(s.SelRow0, s.SelRow1))};
}

// Toggles the box of every selected text and non-chord Jianpu note of a layer.
void ToggleBoxes(TMainScore& s, int layer) {
    auto& pages = s.PageSets[static_cast<std::size_t>(layer)];
    if (s.CurPage < 0 || s.CurPage >= static_cast<int>(pages.size()))
        return;
    TPage& page = pages[static_cast<std::size_t>(s.CurPage)];
    const TSel sel = Selection(s);
    for (int r = sel.r0; r <= sel.r1 && r < static_cast<int>(page.size()); ++r)
        for (int c = sel.c0; c <= sel.c1 && c < static_cast<int>(page[static_cast<std::size_t>(r)].size()); ++c) {
            TCell& cell = page[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            if (cell.cellType == ctText || (IsJianpuSound(cell) && !IsVerticalCell(cell)))
                cell.Attr ^= 0xF0u;
        }
}

} // namespace

void TfrmMainTQ::btnTextBoxClick() {
    EndTextEntry();
    Undo.SaveUndo();
    ToggleBoxes(*this, CurLayer);
    if (Ed.ApplyToBothLayers()) {
        const int saved = CurLayer;
        CurLayer = 1 - saved;
        Undo.SaveUndo();
        ToggleBoxes(*this, CurLayer);
        CurLayer = saved;
        Undo.SetUndoGroup(2);
    }
    SetModified(true);
    RedrawPage();
}

bool TfrmMainTQ::RotateSelectedTexts(int angle) {
    Undo.SaveUndo();
    bool changed = false;
    auto& pages = PageSets[static_cast<std::size_t>(CurLayer)];
    if (CurPage >= 0 && CurPage < static_cast<int>(pages.size())) {
        TPage& page = pages[static_cast<std::size_t>(CurPage)];
        const TSel sel = Selection(*this);
        for (int r = sel.r0; r <= sel.r1; ++r)
            for (int c = sel.c0; c <= sel.c1; ++c) {
                TCell& cell = page[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
                if (cell.cellType == ctText || cell.cellType == ctTextSymbol) {
                    cell.dot = angle;
                    changed = true;
                }
            }
    }
    if (!changed) {
        Undo.DropLastItems(1);
        return false;
    }
    SetModified(true);
    RedrawPage();
    return true;
}

void TfrmMainTQ::mitTextRotateClick() {
    EndTextEntry();
    int degrees = 0;
    if (AskRotateText(this, degrees))
        RotateSelectedTexts(degrees * 10);
}

void TfrmMainTQ::mitAddTextClick() {
    EndTextEntry();
    const int c0 = SelCol0, r0 = SelRow0, c1 = SelCol1, r1 = SelRow1;
    TfrmText dlg(this);
    if (dlg.exec() == QDialog::Accepted) {
        SetModified(true);
        RedrawCells(SelCol0, SelRow0, Cols - 1, std::min(Rows - 1, SelRow1 + 2));
    }
    SelCol0 = c0;
    SelRow0 = r0;
    SelCol1 = c1;
    SelRow1 = r1;
    ActivateUSKeyboard();
}

void TfrmMainTQ::btnTextFontClick() {
    EndTextEntry();
    TfrmSetFont dlg(this);
    dlg.NormalColour = static_cast<int>(DrawEngine.MainLayerColor); // cells without a colour of their own
    dlg.FillFontLists();
    if (!dlg.LoadFont(-1)) {
        Language->MessageOk(3137, "", mkInformation);
        return;
    }
    if (dlg.exec() == QDialog::Accepted) {
        dlg.ApplyFontToSelection();
        SetModified(true);
        RedrawPage();
    }
}

void TfrmMainTQ::mitUseChineseClick() {
    EndTextEntry();
    Language->UseChinese = !Language->UseChinese;
    Language->LoadLanguageDll();
    SetUseChineseStrings(Language->UseChinese && Language->Loaded());
    if (Language->UseChinese && Language->GetString(200).find("??") != std::string::npos)
    {
        TMessageRequest req;
        req.kind = mkInformation;
        req.caption = "Tonquill";
        req.text = "The Operating System may not set correctly to run Chinese version. Please see\nthe document \"How to "
                   "setup Chinese for Tonquill\" for solution. Contact author\nfor the document if you do not have one.";
        MessageBoxes().Show(req);
    }
    MakeFileDialogs();
    Language->SetLanguage(this);
    PageCaption();
    UpdateCaption();
    RelocaliseToolWindows();
    if (playWindow_ && playWindow_->isVisible()) {
        playWindow_->cbxPlayRule->setCurrentIndex(2);
        playWindow_->cbxSoundEffect->setCurrentIndex(0);
    }
    ShowControls();
    RedrawPage();
}

void TfrmMainTQ::RelocaliseToolWindows() {
    for (QWidget* w : {frmSpecial, frmDynMark, frmGongChi, frmTextSymbols, static_cast<QWidget*>(frmWestNotes)})
        if (w && w->isVisible())
            Language->SetLanguage(w);
    if (playWindow_ && playWindow_->isVisible())
        Language->SetLanguage(playWindow_);
    if (TfrmBook* book = ExistingBookWindow(); book && book->isVisible()) {
        Language->SetLanguage(book);
        book->show();
    }
    if (frmWestNotes)
        frmWestNotes->LoadHints();
}
