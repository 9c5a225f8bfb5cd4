// The handlers of the commands whose work lives outside the window's own
// files: text entry, signs, pictures and dialogs of the window; the beat check,
// grand staves, Jianpu style, key change and transposition, bow directions,
// part breakdown, measure numbers and preferences of the editing folder; MIDI
// files and the play window of the play folder.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>

#include <algorithm>
#include <iterator>

#include "app/frmTQMain.h"
#include "app/frmTQMainPrefs.h"
#include "edit/frmTQBowDir.h"
#include "edit/frmTQBreakdown.h"
#include "edit/frmTQMeasureCount.h"
#include "edit/frmTQPrefCommand.h"
#include "edit/frmTQShiftStaff.h"
#include "edit/modTQGrandStaff.h"
#include "edit/modTQJianpuStyle.h"
#include "edit/modTQVerify.h"
#include "edit/modTQWestEntry.h"
#include "lang/modTQLanguage.h"
#include "model/modTQKeys.h"
#include "model/modTQUndo.h"
#include "palettes/modTQPaletteHooks.h"
#include "platform/core/TQFiles.h"
#include "play/Modmidifile.h"
#include "play/frmTQPlay.h"
#include "play/modTQMIDIReader.h"
#include "play/modTQPlayWindow.h"
#include "lang/modTQStringIds.h"

namespace {

// The MIDI file to write (save) or read, asked in the interface language; ""
// when cancelled. A save asks before it replaces a file.
std::string AskMIDIFileName(QWidget* parent, bool save, const std::string& proposed) {
    QFileDialog dialog(parent);
    dialog.setObjectName(save ? QStringLiteral("dlgSaveMIDI") : QStringLiteral("dlgOpenMIDI"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QStringLiteral("mid"));
    Language->PrepareFileDialog(&dialog, save ? 261 : sidImportMIDI, 1065, save);
    if (!proposed.empty()) {
        if (save)
            dialog.selectFile(QString::fromStdString(proposed));
        else
            dialog.setDirectory(QString::fromStdString(proposed));
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return "";
        if (!save || Language->ConfirmOverwrite(&dialog))
            return dialog.selectedFiles().front().toStdString();
    }
}

} // namespace

void TfrmMainTQ::AddToolHandlers(std::unordered_map<std::string, std::function<void(QAction*)>>& h) {
    auto tag = [](QAction* a) { return a ? TagOf(a) : 0; };

    // ---- text entry, signs, colours, the typed bar keys
    h["mitAddTextClick"] = [this](QAction*) { mitAddTextClick(); };
    h["btnTextFontClick"] = [this](QAction*) { btnTextFontClick(); };
    h["mitTextRotateClick"] = [this](QAction*) { mitTextRotateClick(); };
    h["btnEnterTextClick"] = [this](QAction*) { btnEnterTextClick(); };
    h["btnTextBoxClick"] = [this](QAction*) { btnTextBoxClick(); };
    h["mitUseChineseClick"] = [this](QAction*) { mitUseChineseClick(); };
    h["btnSpeedClick"] = [this](QAction*) { btnSpeedClick(); };
    h["btnTimeSignatureClick"] = [this](QAction*) { btnTimeSignatureClick(); };
    h["btnKeySignClick"] = [this](QAction*) { btnKeySignClick(); };
    h["mitKeySignClick"] = [this](QAction*) { mitKeySignClick(); };
    h["mitResetKeySigntureClick"] = [this](QAction*) { mitResetKeySigntureClick(); };
    h["mitEditPropertyClick"] = [this](QAction*) { mitEditPropertyClick(); };
    h["btnColorClick"] = [this](QAction*) { btnColorClick(); };
    h["mitChangeColorClick"] = [this](QAction*) { mitChangeColorClick(); };
    // the bar buttons type the character whose code is their Tag
    h["btnSingleBarClick"] = [this, tag](QAction* a) { FormKeyPress(tag(a)); };
    h["btn2DotsClick"] = [this](QAction*) { FormKeyPress(':'); };

    // ---- pictures
    h["mitInsertImageClick"] = [this](QAction*) { mitInsertImageClick(); };
    h["mitInsertWholePieceClick"] = [this](QAction*) { mitInsertWholePieceClick(); };
    h["btnAddBackImgClick"] = [this](QAction*) { btnAddBackImgClick(); };
    h["mitRemoveBackImgClick"] = [this](QAction*) { mitRemoveBackImgClick(); };
    h["mitStopBackgroudImageClick"] = [this](QAction*) { mitStopBackgroudImageClick(); };
    h["mitLoadImageClick"] = [this](QAction*) { mitLoadImageClick(); };
    h["mitClearImageClick"] = [this](QAction*) { mitClearImageClick(); };

    // ---- dialogs
    h["mitCreateStaffClick"] = [this](QAction*) {
        CurClef = -1;
        if (ChooseClefStaff())
            AddWestNoteOrProp(CurClef, true, kNoPosition, true);
        RedrawPage();
    };
    h["mitCellPropertyClick"] = [this](QAction*) { mitCellPropertyClick(); };
    h["btnMathClick"] = [this](QAction*) { btnMathClick(); };

    // ---- beat check
    h["mitVerifyAllPageClick"] = [](QAction*) { mitVerifyAllPageClick(); };
    h["mitVerifyToEndClick"] = [](QAction*) { mitVerifyToEndClick(); };
    h["mitVerifySelectClick"] = [](QAction*) { mitVerifySelectClick(); };
    h["mitVerifyAlowSimplifyTriplateClick"] = [](QAction* a) {
        const bool on = mitVerifyAlowSimplifyTriplateClick();
        if (a)
            a->setChecked(on);
    };
    h["mitClearVerifyResultClick"] = [](QAction*) { mitClearVerifyResultClick(); };

    // ---- grand staves, Jianpu style
    h["mitToGFSelectedClick"] = [](QAction*) { ConvertToGrandStaffSelected(); };
    h["mitToGFAllPagesClick"] = [](QAction*) { ConvertToGrandStaffAllPages(); };
    h["mitDecoupleSelClick"] = [](QAction*) { DecoupleGrandStaffSelected(); };
    h["mtDecoupleAllClick"] = [](QAction*) { DecoupleGrandStaffAll(); };
    h["mitCombineasGrandStaffClick"] = [](QAction*) { mitCombineasGrandStaffClick(); };
    auto showJianpuStyle = [this] {
        const bool solFa = mitTonicSolFaChecked();
        if (QAction* a = CommandAction("mitTonicSolFa"))
            a->setChecked(solFa);
        if (QAction* a = CommandAction("mitFixedKey"))
            a->setChecked(!solFa);
    };
    h["mitWesternClick"] = [this](QAction*) {
        // The staff commands work on layer 0 only; the style submenu names the style in force.
        const TWesternMenuState state = mitWesternClick();
        for (const char* n : {"mitStaffOptions", "mitCreateStaff", "mitGrandStaff", "mitWestern2Jianpu",
                              "mitJianpu2Western", "mitResetKeySignture"}) {
            if (QAction* a = CommandAction(n))
                a->setEnabled(state.Layer0ItemsEnabled);
            else if (QMenu* m = findChild<QMenu*>(QString::fromLatin1(n)))
                m->menuAction()->setEnabled(state.Layer0ItemsEnabled);
        }
        if (QMenu* m = findChild<QMenu*>(QStringLiteral("mitJianpuStyle")); m && !state.JianpuStyleCaption.empty())
            m->setTitle(QString::fromUtf8(state.JianpuStyleCaption.c_str()));
    };
    h["mitTonicSolFaClick"] = [showJianpuStyle](QAction*) {
        mitTonicSolFaClick();
        showJianpuStyle();
    };
    h["mitFixedKeyClick"] = [showJianpuStyle](QAction*) {
        mitFixedKeyClick();
        showJianpuStyle();
    };

    // ---- key change and transposition: all pages, selected rows, to the page's end
    auto scopeOf = [](QAction* a) {
        const QString n = a ? a->objectName() : QString();
        if (n.endsWith(QStringLiteral("AllPages")) || n.endsWith(QStringLiteral("All")))
            return 0;
        if (n.endsWith(QStringLiteral("Selected")) || n.endsWith(QStringLiteral("Sel")))
            return 1;
        return 2;
    };
    h["mitChangeToneClick"] = [scopeOf](QAction* a) { ShiftStaffs(scopeOf(a), false); };
    h["mitTransposeToneClick"] = [scopeOf](QAction* a) { ShiftStaffs(scopeOf(a), true); };

    // ---- bow directions, parts, measure numbers, preferences, compression
    h["mitBowDirectionClick"] = [this](QAction*) { mitBowDirectionClick(this); };
    h["BreakDown1Click"] = [this](QAction*) { BreakDown1Click(this); };
    h["mitAddMeasureCountClick"] = [this](QAction*) { mitAddMeasureCountClick(this); };
    h["mitPreferenceClick"] = [this](QAction*) {
        TPrefParts parts = PrefParts();
        TPreferenceHooks hooks;
        hooks.Relocalise = [this] {
            if (!Language)
                return;
            Language->SetLanguage(this);
            PageCaption();
            RelocaliseToolWindows();
        };
        if (mitPreferenceClick(parts, this, hooks))
            ApplyViewPrefs();
        RedrawPage();
    };
    h["mitSpecifyCompClick"] = [this](QAction*) { mitSpecifyCompClick(this); };

    // ---- MIDI files
    h["btnSaveMIDIClick"] = [this](QAction*) {
        const std::string name = AskMIDIFileName(this, true, ChangeFileExt(FileName, ".mid"));
        if (!name.empty())
            SaveMIDIFile(name);
    };
    h["MIDIFileExport1Click"] = [this](QAction*) {
        const QString name = QString::fromStdString(AskMIDIFileName(this, false, CurFileFolder));
        if (name.isEmpty())
            return;
        // The key signature read last must not colour the spelling of the import.
        std::fill(std::begin(KeyAccidentals), std::end(KeyAccidentals), int8_t{0});
        TMIDIReader reader;
        if (reader.ImportMIDIFile(name.toStdString())) {
            // The new score is named after its file, and its first Save asks
            // where to write it: nothing is written beside the file unasked.
            FileName = ChangeFileExt(name.toStdString(), ".mus");
            ForceSaveAs = true;
            UpdateCaption();
        }
        RedrawPage();
    };
}

void TfrmMainTQ::PlaceEntrySwitches() {
    // The quick-key switches of the palettes sit in the Tool menu, the
    // proportions switch of inserted pictures in the Image menu.
    if (QMenu* tool = findChild<QMenu*>(QStringLiteral("mitTool"))) {
        tool->addSeparator();
        for (QAction* a : {mitEnableSpKey, mitEnableDynKey})
            if (a)
                tool->addAction(a);
    }
    // "Fixed Key" is the second radio item of the Jianpu style submenu, beside "Tonic Sol-Fa".
    if (QMenu* style = findChild<QMenu*>(QStringLiteral("mitJianpuStyle")); style && mitFixedKey) {
        if (mitView)
            mitView->removeAction(mitFixedKey);
        style->addAction(mitFixedKey);
    }
    if (QMenu* image = findChild<QMenu*>(QStringLiteral("mitImage")); image && mitKeepOriginalAspectRatio) {
        image->addSeparator();
        image->addAction(mitKeepOriginalAspectRatio);
        SetTag(mitKeepOriginalAspectRatio, 703);
    }
    // Menu bar order: File, Edit, View, the score menus, then Window and Help.
    auto menuAction = [this](const char* name) -> QAction* {
        QMenu* m = findChild<QMenu*>(QString::fromLatin1(name));
        return m ? m->menuAction() : nullptr;
    };
    QAction* view = menuAction("mitView");
    if (QAction* edit = menuAction("mitEdit"); edit && view) {
        mnuMain->removeAction(edit);
        mnuMain->insertAction(view, edit);
    }
    for (const char* last : {"mitWindow", "mitHelp"})
        if (QAction* a = menuAction(last)) {
            mnuMain->removeAction(a);
            mnuMain->addAction(a);
        }
    PaletteHooks().SpecialKeysEnabled = [this] { return mitEnableSpKey && mitEnableSpKey->isChecked(); };
    PaletteHooks().DynKeysEnabled = [this] { return mitEnableDynKey && mitEnableDynKey->isChecked(); };
}

void TfrmMainTQ::BuildPlayWindow() {
    auto* w = new TfrmPlay(this);
    w->setObjectName(QStringLiteral("frmPlay"));
    playWindow_ = w;
    frmPlay = w;
    w->ConnectMainView(this);
    w->OnVisibleChanged = [this](bool visible) { PlyDlgVisible = visible; };
    w->GetShowChangedRed = [this] { return DrawEngine.ShowChangedRed; };
    w->SetShowChangedRed = [this](bool on) {
        DrawEngine.ShowChangedRed = on;
        RedrawPage();
    };
    w->OnActivated = [this] {
        if (OnEndTextEntry)
            OnEndTextEntry();
    };
    w->ScoreFileName = [this] { return FileName; };
    PlayWindowHooks().StartPlayer = [this](int start, int mode) { StartPlayer(start, mode); };
    PlayWindowHooks().BeforeBuild = [this] { ReturnToLastPlayStart(); };
    PlayWindowHooks().EnableMainControls = [this](bool on) { EnableMainControls(on); };
    GrandStaffHooks().AdjustPlayRule = [w] {
        // a grand staff plays as Western staves
        if (w->isVisible() && w->cbxPlayRule->currentIndex() != 1) {
            w->rbtWest->setChecked(true);
            w->PlayWest = true;
            w->cbxPlayRule->setCurrentIndex(2);
        }
    };
    PlayWindow.Visible = [w] { return w->isVisible(); };
    PlayWindow.SetVisible = [w](bool visible) { w->setVisible(visible); };
    PlayWindow.Playing = [w] { return w->Playing; };
    PlayWindow.Play = [w] { w->btnPlayClick(); };
    PlayWindow.Stop = [w] { w->btnStopClick(); };
    PlayWindow.SetEnabled = [w](bool on) { w->setEnabled(on); };
    PlayWindow.ChooseNotation = [w](bool west) {
        (west ? w->rbtWest : w->rbtJianpu)->setChecked(true);
        w->PlayWest = west;
    };
    PlayWindow.ApplySpeed = [w] { w->spnSpeedAdjChange(); };
    PlayWindow.AdvancedPageShown = [w] { return w->pagPlay->currentWidget() == w->shtAdj; };
    PlayWindow.LoadCellAdj = [this, w] { w->LoadCellAdj(SelCol0, SelRow0); };
    PlayWindow.SelectSoundEffect = [w](int index, const std::string&) {
        w->cbxSoundEffect->setCurrentIndex(index);
        w->cbxSoundEffectChange();
    };
    PlayWindow.SoundEffectIndex = [w] { return w->cbxSoundEffect->currentIndex(); };
    PlayWindow.SoundEffectText = [w](int index) { return w->cbxSoundEffect->itemText(index).toStdString(); };
    PlayWindowWidget = [w]() -> QWidget* { return w; };
}
