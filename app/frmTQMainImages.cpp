// Pictures in the score (one over a block of cells, a numbered run one per
// page) and the side panel that shows a reference picture beside the page.
#include "app/frmTQMain.h"

#include <QFileDialog>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include <algorithm>

#include "app/frmTQEditImage.h"
#include "app/modTQMain.h"
#include "lang/modTQLanguage.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQUndo.h"
#include "platform/core/TQFiles.h"

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

TCell* PageCell(TMainScore& s, int col, int row) {
    auto& pages = s.PageSets[static_cast<std::size_t>(CurLayer)];
    if (s.CurPage < 0 || s.CurPage >= static_cast<int>(pages.size()) || !IsValidCellPos(col, row))
        return nullptr;
    return &pages[static_cast<std::size_t>(s.CurPage)][static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

} // namespace

std::string TfrmMainTQ::AskPictureFile(int titleId, const std::string& proposed) {
    const std::string title = Language->GetString(titleId);
    if (OnAskPictureFile)
        return OnAskPictureFile(title, proposed);
    dlgOpenPic->setWindowTitle(Q(title));
    if (!proposed.empty())
        dlgOpenPic->selectFile(Q(proposed));
    dlgOpenPicShow();
    if (dlgOpenPic->exec() != QDialog::Accepted || dlgOpenPic->selectedFiles().isEmpty())
        return "";
    return dlgOpenPic->selectedFiles().front().toStdString();
}

void TfrmMainTQ::dlgOpenPicShow() { Language->LocaliseFileDialog(dlgOpenPic, false); }

void TfrmMainTQ::mitInsertImageClick() {
    EndTextEntry();
    TCell cell;
    GetCursorCell(cell);
    const std::string name = AskPictureFile(1028, cell.cellType == ctImage ? cell.Text.str() : std::string());
    if (!name.empty())
        InsertImage(name);
}

void TfrmMainTQ::InsertImage(const std::string& fileName) {
    Undo.SaveUndo();
    TCell* cell = PageCell(*this, SelCol0, SelRow0);
    if (!cell)
        return;
    ResetCell(*cell);
    cell->cellType = ctImage;
    cell->Text = fileName;
    cell->iEnd = std::abs(SelCol1 - SelCol0) + 1;
    cell->jEnd = std::abs(SelRow1 - SelRow0) + 1;
    cell->shrinkRate = mitKeepOriginalAspectRatio && mitKeepOriginalAspectRatio->isChecked() ? 0 : 1;
    SetModified(true);
    RedrawPage();
}

void TfrmMainTQ::mitInsertWholePieceClick() {
    EndTextEntry();
    TCell cell;
    GetCell(cell, 0, 0);
    const std::string name = AskPictureFile(1029, cell.cellType == ctImage ? cell.Text.str() : std::string());
    if (!name.empty())
        InsertNumberedImages(name);
}

void TfrmMainTQ::InsertNumberedImages(const std::string& fileName) {
    if (!FileExists(fileName) || NextNumberedFileName(fileName).empty())
        return;
    // The run fills many pages: one whole-score snapshot takes it all back.
    Undo.SaveScoreSnapshot(true);
    std::string name = fileName;
    for (;;) {
        name = NextNumberedFileName(name);
        if (name.empty())
            break;
        TCell* cell = PageCell(*this, 0, 0);
        if (!cell)
            break;
        ResetCell(*cell);
        cell->cellType = ctImage;
        cell->Text = name;
        cell->iEnd = Cols - 1;
        cell->jEnd = Rows - 1;
        const int page = CurPage;
        btnNextPageClick();
        if (CurPage == page)
            break;
    }
    SetModified(true);
    RedrawPage();
}

void TfrmMainTQ::mitKeepOriginalAspectRatioClick() {
    // the action is checkable: the click has toggled it already
}

// ---------------------------------------------------------------- side panel

void TfrmMainTQ::mitLoadImageClick() {
    EndTextEntry();
    LoadSideImage(ImgFileName, true);
}

void TfrmMainTQ::mitClearImageClick() { CloseSideImage(); }

void TfrmMainTQ::btnCloseSideImgClick() { CloseSideImage(); }

void TfrmMainTQ::pbxSideImgPaint() {
    if (!SideImage || SideImage->Width() <= 0)
        return;
    if (SidePicture.size() != pbxSideImg->size())
        SidePicture =
            SideImage->Image().scaled(pbxSideImg->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void TfrmMainTQ::SideImageZoom(double factor) {
    if (!SideImage || SideImage->Width() <= 0)
        return;
    const int width = std::max(1, static_cast<int>(pbxSideImg->width() * factor));
    const int height = std::max(1, static_cast<int>(static_cast<double>(width) * SideImage->Height() /
                                                     SideImage->Width()));
    pbxSideImg->setFixedSize(width, height);
    pbxSideImgPaint();
    pbxSideImg->update();
}

void TfrmMainTQ::btnSideImgZoomInClick() {
    if (SideImage && SideImage->Width() * 2 > pbxSideImg->width())
        SideImageZoom(1.1);
}

void TfrmMainTQ::btnSideImgZoomOutClick() { SideImageZoom(0.9); }

void TfrmMainTQ::pbxSideImgMouseDown(int y, bool leftButton) {
    QScrollBar* vbar = scrSideImg->verticalScrollBar();
    QScrollBar* hbar = scrSideImg->horizontalScrollBar();
    const int v = y - vbar->value();
    const int hp = pnlSideImg->height();
    const int wp = pnlSideImg->width();
    if (v < 20)
        vbar->setValue(static_cast<int>(vbar->value() - 0.9 * hp));
    else if (v > hp - 100)
        vbar->setValue(static_cast<int>(vbar->value() + 0.9 * hp));
    else if (leftButton)
        hbar->setValue(static_cast<int>(hbar->value() + 0.9 * wp));
    else
        hbar->setValue(static_cast<int>(hbar->value() - 0.9 * wp));
}

void TfrmMainTQ::btnNextSideImgClick() { StepSideImage(1); }

void TfrmMainTQ::btnPrevSideImgClick() { StepSideImage(-1); }

// ---------------------------------------------------------------- page background

void TfrmMainTQ::btnAddBackImgClick() {
    EndTextEntry();
    const std::string name = AskPictureFile(1030, CurrentBackgroundFile());
    if (!name.empty())
        SetBackgroundImage(name, mitKeepOriginalAspectRatio->isChecked());
}

void TfrmMainTQ::mitRemoveBackImgClick() {
    EndTextEntry();
    RemoveBackgroundImage();
}

void TfrmMainTQ::mitStopBackgroudImageClick() {
    EndTextEntry();
    StopBackgroundImage();
}

void TfrmMainTQ::splSideImageMoved() {
    SideSplitterMoved = true;
    SideImagePanelSized = true;
}
