// The main window's commands built from the command table: one QAction a row,
// in its menu, popup menu or tool bar, connected to its handler. Rows whose
// handler needs a part of the window that is not there (a cell operation hook,
// the play window, a dialog) stay disabled until RefreshCommandStates finds it.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QPixmap>
#include <QLineEdit>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <filesystem>
#include <unordered_map>

#include "app/frmTQMain.h"
#include "app/modTQCommandTable.h"
#include "convert/modTQConvertJ2W.h"
#include "convert/modTQConvertW2J.h"
#include "edit/modTQEditCommands.h"
#include "edit/modTQJianpu.h"
#include "edit/modTQWestChord.h"
#include "edit/modTQWestEntry.h"
#include "lang/modTQLanguage.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "palettes/modTQDynMark.h"
#include "palettes/modTQPaletteFaces.h"
#include "palettes/modTQSpecial.h"
#include "platform/core/TQMessage.h"

namespace {

QString Caption(const TCommandRow& row) {
    if (row.Tag > 0 && Language) {
        const std::string s = Language->GetString(row.Tag);
        if (!s.empty())
            return QString::fromUtf8(s.c_str());
    }
    return QString::fromUtf8(row.Caption);
}

bool LargeStep() {
    return (QApplication::keyboardModifiers() & (Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier)) != 0;
}

} // namespace

QAction* TfrmMainTQ::CommandAction(const char* objectName) const {
    for (QAction* a : CommandActions)
        if (a->objectName() == QLatin1String(objectName))
            return a;
    return nullptr;
}

void TfrmMainTQ::BuildCommands() {
    if (mitHintSize)
        mitHintSize->setObjectName(QStringLiteral("mitHintSize"));
    // containers
    auto menuNamed = [this](const QString& name) -> QMenu* { return findChild<QMenu*>(name); };
    for (const TCommandMenu& m : CommandMenus()) {
        const QString name = QString::fromLatin1(m.Name);
        if (menuNamed(name))
            continue;
        QMenu* menu = nullptr;
        const QString caption = m.Tag > 0 && Language && !Language->GetString(m.Tag).empty()
                                    ? QString::fromUtf8(Language->GetString(m.Tag).c_str())
                                    : QString::fromUtf8(m.Caption);
        if (std::string(m.Parent).empty())
            menu = mnuMain->addMenu(caption);
        else if (std::string(m.Parent) == "-")
            menu = new QMenu(this);
        else if (QMenu* parent = menuNamed(QString::fromLatin1(m.Parent)))
            menu = parent->addMenu(caption);
        else
            menu = new QMenu(caption, this);
        menu->setObjectName(name);
        SetTag(menu, m.Tag);
        menu->setProperty("tqTag", m.Tag);
    }
    if (QMenu* pop = menuNamed(QStringLiteral("popMain"))) {
        pbxMain->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(pbxMain, &QWidget::customContextMenuRequested, this,
                [this, pop](const QPoint& p) { pop->popup(pbxMain->mapToGlobal(p)); });
    }

    if (!CellOps.ChangeFontSize)
        CellOps.ChangeFontSize = [this](float size) { ChangeFontSize(size); };
    if (!CellOps.ResetFontSize)
        CellOps.ResetFontSize = [this] { ResetFontSize(); };
    if (!CellOps.NudgeSelection)
        CellOps.NudgeSelection = [this](int dx, int dy, bool modifier) {
            NudgeSelection(static_cast<float>(dx), static_cast<float>(dy), modifier);
        };
    if (!CellOps.SetUnderlines)
        CellOps.SetUnderlines = [this](int count, bool add) { SetUnderlines(count, add, false); };
    if (!CellOps.ToggleGrace)
        CellOps.ToggleGrace = [this](uint32_t style) { ToggleGrace(static_cast<int>(style)); };
    if (!CellOps.ChangeShrinkRate)
        CellOps.ChangeShrinkRate = [this](int value, bool relative) { ChangeShrinkRate(value, relative); };
    const auto handlers = CommandHandlers();
    for (const TCommandRow& row : CommandTable()) {
        const QString name = QString::fromLatin1(row.Name);
        const std::string handler = row.Handler;
        auto found = handlers.find(handler);
        if (row.Flags & cfOpening) {
            // a menu: its handler runs as it opens
            QMenu* menu = menuNamed(name);
            // a submenu stands where its row stands among its menu's items
            if (QMenu* parent = menu && *row.Where ? menuNamed(QString::fromLatin1(row.Where)) : nullptr) {
                parent->removeAction(menu->menuAction());
                parent->addAction(menu->menuAction());
            }
            if (menu && found != handlers.end()) {
                auto run = found->second;
                connect(menu, &QMenu::aboutToShow, this, [this, handler, run] {
                    if (!OnCommand || OnCommand(handler))
                        run(nullptr);
                });
            }
            continue;
        }
        QAction* a = findChild<QAction*>(name);
        if (a) {
            // an item the window built before the table: the table's handler takes over
            disconnect(a, &QAction::triggered, nullptr, nullptr);
            disconnect(a, &QAction::toggled, nullptr, nullptr);
        } else {
            a = new QAction(Caption(row), this);
            a->setObjectName(name);
            const std::string where = row.Where;
            if (QToolButton* old = findChild<QToolButton*>(name)) {
                // a tool button of the window: it shows this action from now on
                a->setIcon(old->icon());
                a->setToolTip(old->toolTip());
                old->setDefaultAction(a);
            } else if (where == "tbrlTop") {
                tbrlTop->addAction(a);
            } else if (where == "tbrLeft") {
                tbrLeft->addAction(a);
            } else if (QMenu* menu = where.empty() ? nullptr : menuNamed(QString::fromLatin1(row.Where))) {
                menu->addAction(a);
            } else {
                addAction(a);
            }
        }
        SetTag(a, row.Tag);
        if (const int hint = CommandHintId(row.Name))
            a->setProperty("HintTag", hint);
        a->setProperty("tqTag", row.Tag);
        a->setProperty("tqHandler", QString::fromLatin1(row.Handler));
        a->setCheckable((row.Flags & cfCheck) != 0);
        if (row.Flags & cfHidden)
            a->setVisible(false);
        a->setShortcut(QKeySequence(QString::fromLatin1(row.Shortcut), QKeySequence::PortableText));
        if (found != handlers.end()) {
            auto run = found->second;
            connect(a, &QAction::triggered, this, [this, a, handler, run] {
                if (CommandPendingOwner(handler))
                    return; // its part of the window is not there
                if (!OnCommand || OnCommand(handler))
                    run(a);
            });
        }
        CommandActions.push_back(a);
    }
    btnPlayMusic = CommandAction("btnPlayMusic");
    btnPlayDirctly = CommandAction("btnPlayDirctly");
    // A key the table gives a command is that command's alone.
    for (QAction* other : findChildren<QAction*>()) {
        if (other->shortcut().isEmpty() || other->property("tqHandler").isValid())
            continue;
        for (QAction* a : CommandActions)
            if (a->shortcut() == other->shortcut())
                other->setShortcut(QKeySequence());
    }
    // The menu items own Ctrl+Z and Ctrl+Y: they follow the buttons at once, not
    // only when the Edit menu opens, so the keys act whenever there is a step.
    if (!Undo.OnUndoEnabled)
        Undo.OnUndoEnabled = [this](bool on) {
            for (const char* n : {"btnUndo", "mitUndo"})
                SetControlEnabled(CommandAction(n), on);
        };
    if (!Undo.OnRedoEnabled)
        Undo.OnRedoEnabled = [this](bool on) {
            for (const char* n : {"btnRedo", "mitRedo"})
                SetControlEnabled(CommandAction(n), on);
        };
    DrawLeftBarFaces();
    if (!Ed.OnPasteEnabled)
        Ed.OnPasteEnabled = [this](bool on) {
            for (const char* n : {"btnPaste", "mitPaste"})
                SetControlEnabled(CommandAction(n), on);
        };
    RefreshCommandStates();
}

// The note buttons of the left tool bar show what they do to a note: a '5'
// with that attribute, underline count or octave dots, the symbol they insert,
// or the property they add. A face that draws nothing keeps its caption.
void TfrmMainTQ::DrawLeftBarFaces() {
    std::vector<QAction*> actions;
    std::vector<TCell> cells;
    for (const TCommandRow& row : CommandTable()) {
        if (std::string(row.Where) != "tbrLeft")
            continue;
        const std::string handler = row.Handler;
        TCell c;
        ResetCell(c);
        c.Note = '5';
        if (handler == "AttrClick")
            c.Attr = uint32_t(row.Tag);
        else if (handler == "btnUnderline0Click")
            c.UL = row.Tag;
        else if (handler == "btnDot2dClick")
            c.dot = row.Tag;
        else if (handler == "btnPrenticeClick" && row.Tag == 103)
            c.option = CycleDotFlags(0);
        else if (handler == "btnPrenticeClick")
            SetNoteAttr(c, 0, 128);
        else if (handler == "SpecClick") {
            c.cellType = 1;
            c.Note = row.Tag;
        } else
            continue;
        if (QAction* a = CommandAction(row.Name)) {
            actions.push_back(a);
            cells.push_back(c);
        }
    }
    const std::vector<QImage> faces = DrawCellFaces(cells, 22);
    for (std::size_t i = 0; i < actions.size(); ++i)
        if (!faces[i].isNull())
            actions[i]->setIcon(QIcon(QPixmap::fromImage(faces[i])));
}

void TfrmMainTQ::RefreshCommandStates() {
    for (QAction* a : CommandActions) {
        const std::string handler = a->property("tqHandler").toString().toStdString();
        const char* owner = CommandPendingOwner(handler);
        a->setEnabled(owner == nullptr && (handler != "btnPasteClick" || Ed.PasteEnabled));
        a->setProperty("tqPending", owner ? QString::fromLatin1(owner) : QString());
    }
}

const char* TfrmMainTQ::CommandPendingOwner(const std::string& handler) const {
    // The cell operations and the play window are hooks of the window
    if (handler == "btnIncFontSizeClick" || handler == "btnDecFontSizeClick" || handler == "SetTextSizeClick")
        return CellOps.ChangeFontSize ? nullptr : "cell operations";
    if (handler == "btnResetFontSizeClick")
        return CellOps.ResetFontSize ? nullptr : "cell operations";
    if (handler == "btnMoveUpClick" || handler == "btnMoveDnClick" || handler == "btnMoveLeftClick" ||
        handler == "btnMoveRightClick" || handler == "btnMoveResetClick")
        return CellOps.NudgeSelection ? nullptr : "cell operations";
    if (handler == "btnUnderline0Click")
        return CellOps.SetUnderlines ? nullptr : "cell operations";
    if (handler == "btnR_GraceClick" || handler == "btnL_GraceClick")
        return CellOps.ToggleGrace ? nullptr : "cell operations";
    if (handler == "mitShrinkResetClick" || handler == "mitShrinkIncClick" || handler == "mitShrinkDecClick")
        return CellOps.ChangeShrinkRate ? nullptr : "cell operations";
    if (handler == "btnPlayMusicClick")
        return PlayWindow.SetVisible ? nullptr : "play window";
    return nullptr;
}

std::unordered_map<std::string, std::function<void(QAction*)>> TfrmMainTQ::CommandHandlers() {
    std::unordered_map<std::string, std::function<void(QAction*)>> h;
    auto endText = [this] {
        if (OnEndTextEntry)
            OnEndTextEntry();
    };
    auto tag = [](QAction* a) { return a ? TagOf(a) : 0; };

    // ---- Edit
    h["mitEditClick"] = [this, endText](QAction*) {
        endText();
        const bool paste = Ed.PasteEnabled;
        for (const char* n : {"mitPaste", "mitPasteSpecial"})
            if (QAction* a = findChild<QAction*>(QString::fromLatin1(n)))
                a->setEnabled(paste);
        if (QAction* a = CommandAction("mitUndo"))
            a->setEnabled(CommandAction("btnUndo")->isEnabled());
        if (QAction* a = CommandAction("mitRedo"))
            a->setEnabled(CommandAction("btnRedo")->isEnabled());
        if (QAction* a = CommandAction("mitDeletePage"))
            a->setEnabled(PageSets[static_cast<size_t>(CurLayer)].size() > 1);
        if (HasJianpuPage()) {
            mitApplyToBothLayer->setEnabled(true);
        } else {
            mitApplyToBothLayer->setChecked(false);
            mitApplyToBothLayer->setEnabled(false);
            ApplyToBothLayerChecked = false;
        }
    };
    h["btnUndoClick"] = [this, endText](QAction*) {
        endText();
        Undo.UndoStep();
        RedrawPage();
    };
    h["btnRedoClick"] = [this, endText](QAction*) {
        endText();
        Undo.RedoStep();
        SetModified(true);
        RedrawPage();
    };
    // ---- clipboard: cells through the editing object's own clipboard, the
    // text-entry box's text through the system clipboard
    h["btnCutClick"] = [this, endText](QAction*) {
        endText();
        EditCut();
    };
    h["btnCopyClick"] = [this, endText](QAction*) {
        endText();
        if (edtEnterText && edtEnterText->isVisible()) {
            const QString text = edtEnterText->selectedText().left(250);
            if (!text.isEmpty()) {
                QApplication::clipboard()->setText(text);
                Ed.SetPaste(true);
            }
            return;
        }
        EditCopy();
    };
    h["btnPasteClick"] = [this, endText](QAction*) {
        endText();
        if (edtEnterText && edtEnterText->isVisible()) {
            edtEnterText->setText(QApplication::clipboard()->text());
            edtEnterText->selectAll();
            FitTextEntryBox();
            return;
        }
        EditPaste(0);
    };
    h["mitPasteSpecialClick"] = [endText](QAction*) { endText(); };
    h["mitPasteDynamicMarkClick"] = [](QAction*) { EditPaste(1); };
    h["mitPasterFontClick"] = [](QAction*) { EditPaste(2); };
    h["mitPasteOffsetClick"] = [](QAction*) { EditPaste(3); };
    h["mitSelectAllClick"] = [this](QAction*) {
        EditSelectAll();
        RedrawPage();
    };
    h["mitClearClick"] = [](QAction*) { EditClear(); };
    h["mitInsertCellClick"] = [this](QAction*) {
        if (SelCol0 >= Cols - 1)
            return;
        const int c0 = SelCol0, r0 = SelRow0, c1 = SelCol1, r1 = SelRow1;
        SelCol1 = Cols - 2;
        Ed.MoveBlock(c0 + 1, r0, 1);
        SelCol0 = c0, SelRow0 = r0, SelCol1 = c1, SelRow1 = r1;
        Undo.SetGroupSelection(c0, r0, c1, r1);
        RedrawPage();
    };
    h["mitDeleteCellClick"] = [this](QAction*) {
        if (SelCol0 >= Cols - 1)
            return;
        const int c0 = SelCol0, r0 = SelRow0, c1 = SelCol1, r1 = SelRow1;
        SelCol0 = std::min(c1 + 1, Cols - 1);
        SelCol1 = Cols - 1;
        Ed.MoveBlock(c0, r0, 1);
        SelCol0 = c0, SelRow0 = r0, SelCol1 = c1, SelRow1 = r1;
        Undo.SetGroupSelection(c0, r0, c1, r1);
        RedrawPage();
    };
    auto wholeScore = [this](const std::function<void()>& change) {
        Undo.SaveScoreSnapshot(true);
        change();
        SetModified(true);
        PageCaption();
        RedrawPage();
    };
    h["mitInsertLineClick"] = [this, wholeScore](QAction*) { wholeScore([this] { Ed.InsertLine(CurPage, SelRow0); }); };
    h["mitDeleteLineClick"] = [this, wholeScore](QAction*) { wholeScore([this] { Ed.DeleteLine(); }); };
    h["mitInsertColClick"] = [this, wholeScore, tag](QAction* a) {
        const int n = tag(a) == 262 ? 1 : -1;
        wholeScore([this, n] { Ed.InsertColumns(SelCol0, n); });
    };
    h["mitInsertPageClick"] = [this, wholeScore](QAction*) { wholeScore([this] { Ed.InsertPage(CurPage); }); };
    h["mitDeletePageClick"] = [this](QAction*) { Ed.DeletePage(); };

    // ---- menus that only end text entry as they open
    for (const char* n : {"mitTextClick", "mitModifyClick", "mitImageClick", "mitHelpClick"})
        h[n] = [endText](QAction*) { endText(); };

    // ---- Text
    h["btnFlatFontClick"] = [this, endText](QAction*) {
        endText();
        if (JianpuEditor.ApplyFlatFont()) {
            SetModified(true);
            RedrawPage();
        }
    };
    h["btnVerticalNoteClick"] = [this, endText](QAction*) {
        endText();
        // the command moves the selection onto the combined notes; Undo gives
        // back the one the user made
        const int user[4] = {SelCol0, SelRow0, SelCol1, SelRow1};
        bool changed = false;
        TCell cell;
        GetCursorCell(cell);
        if (IsWestRow(SelRow0, 0, -1)) {
            if (cell.westChordArray.empty())
                changed = MakeWestChord();
            else {
                SplitWestChord();
                changed = true;
            }
        } else if (cell.CompressNotes.empty()) {
            changed = JianpuEditor.MakeVerticalNotes();
        } else if (IsGraceCell(cell)) {
            Undo.SaveUndo();
            PageSets[static_cast<size_t>(CurLayer)][static_cast<size_t>(CurPage)][static_cast<size_t>(SelRow0)]
                    [static_cast<size_t>(SelCol0)]
                        .yAdj = 0;
            changed = true;
        } else {
            changed = JianpuEditor.ExpandPackedCell();
        }
        SelCol1 = SelCol0;
        SelRow1 = SelRow0;
        if (changed) {
            SetModified(true);
            Undo.SetGroupSelection(user[0], user[1], user[2], user[3]);
        }
        RedrawPage();
    };
    h["btnCompressRateClick"] = [this, endText](QAction*) {
        endText();
        if (QMenu* pop = findChild<QMenu*>(QStringLiteral("popShrink"))) {
            QWidget* button = tbrlTop->widgetForAction(CommandAction("btnCompressRate"));
            pop->popup(button ? button->mapToGlobal(button->rect().bottomLeft()) : QCursor::pos());
        }
    };
    h["mitShrinkResetClick"] = [this](QAction*) { CellOps.ChangeShrinkRate(-1, false); };
    h["mitShrinkIncClick"] = [this](QAction*) {
        TCell cell;
        GetCursorCell(cell);
        if (!IsShrinkCell(cell))
            CellOps.ChangeShrinkRate(-2, true);
        else
            CellOps.ChangeShrinkRate(cell.cellType == ctWestern ? -3 : -5, true);
    };
    h["mitShrinkDecClick"] = [this](QAction*) {
        TCell cell;
        GetCursorCell(cell);
        if (IsShrinkCell(cell))
            CellOps.ChangeShrinkRate(cell.cellType == ctWestern ? 3 : 5, true);
        CellOps.ChangeShrinkRate(2, true);
    };
    h["btnR_GraceClick"] = [this, endText](QAction*) {
        endText();
        CellOps.ToggleGrace(0xC0);
    };
    h["btnL_GraceClick"] = [this, endText](QAction*) {
        endText();
        CellOps.ToggleGrace(0xD0);
    };

    // ---- Modify
    h["btnIncFontSizeClick"] = [this](QAction*) { CellOps.ChangeFontSize(0.1f); };
    h["btnDecFontSizeClick"] = [this, endText](QAction*) {
        endText();
        CellOps.ChangeFontSize(-0.1f);
    };
    h["btnResetFontSizeClick"] = [this, endText](QAction*) {
        endText();
        CellOps.ResetFontSize();
    };
    h["SetTextSizeClick"] = [this](QAction* a) {
        bool ok = false;
        const float size = a ? a->text().remove(QLatin1Char('&')).toFloat(&ok) : 0.0f;
        if (ok)
            CellOps.ChangeFontSize(size);
    };
    auto nudge = [this](int dx, int dy) {
        CellOps.NudgeSelection(dx, dy, LargeStep());
        update();
    };
    h["btnMoveUpClick"] = [nudge](QAction*) { nudge(0, -1); };
    h["btnMoveDnClick"] = [nudge](QAction*) { nudge(0, 1); };
    h["btnMoveLeftClick"] = [nudge](QAction*) { nudge(-1, 0); };
    h["btnMoveRightClick"] = [nudge](QAction*) { nudge(1, 0); };
    h["btnMoveResetClick"] = [this](QAction*) {
        CellOps.NudgeSelection(0, 0, false);
        MoveMark(0);
        ChangeMarkWidth(0);
        update();
    };

    // ---- View
    h["mitShowOwnerCellClick"] = [this](QAction* a) {
        mitShowOwnerCellChecked = a && a->isChecked();
        RedrawPage();
    };
    h["mitGongChiModeClick"] = [this](QAction* a) {
        GongChiMode = !GongChiMode;
        if (a)
            a->setChecked(GongChiMode);
        RedrawPage();
    };
    h["mitClearHightlightsClick"] = [this](QAction*) { mitClearHightlightsClick(); };
    h["mitSlurClick"] = [this](QAction* a) {
        SlurMode = !SlurMode;
        if (a)
            a->setChecked(SlurMode);
        RedrawPage();
    };
    h["mitCrescendoClick"] = [this](QAction* a) {
        CrescendoMode = !CrescendoMode;
        if (a)
            a->setChecked(CrescendoMode);
        RedrawPage();
    };
    auto hintSize = [this](float size, const char* item) {
        Undo.SaveScoreSnapshot(true);
        HintSize = size;
        SetModified(true);
        for (const char* n : {"mitSmall", "mitMed", "mitLarge"})
            if (QAction* a = CommandAction(n))
                a->setChecked(std::string(n) == item);
        RedrawPage();
    };
    h["mitSmallClick"] = [hintSize](QAction*) { hintSize(0.5f, "mitSmall"); };
    h["mitMedClick"] = [hintSize](QAction*) { hintSize(0.65f, "mitMed"); };
    h["mitLargeClick"] = [hintSize](QAction*) { hintSize(0.8f, "mitLarge"); };
    h["mitColorBlackkeyNoteClick"] = [this](QAction* a) {
        ColorBlackkeyNote = !ColorBlackkeyNote;
        if (a)
            a->setChecked(ColorBlackkeyNote);
        RedrawPage();
    };
    // Note-name hints of single notes: the selection's, or every Western note's (Tag 627 adds, 628 removes).
    h["mitAddHintforSelectClick"] = [this](QAction*) { mitAddHintforSelectClick(); };
    h["mitRemoveHintforSelectClick"] = [this](QAction*) { mitRemoveHintforSelectClick(); };
    h["mitAddHintforAllClick"] = [this, tag](QAction* a) { mitAddHintforAllClick(tag(a)); };
    h["mitMiddleLineinRedClick"] = [this](QAction* a) {
        MiddleLineinRedChecked = a && a->isChecked();
        mitMiddleLineinRedChecked = MiddleLineinRedChecked;
        RedrawPage();
    };

    // ---- Western
    const std::pair<const char*, int> clefs[] = {{"mitToGStaffClick", -1}, {"mitToFStaffClick", -2},
                                                 {"mitToCStaffClick", -3}, {"ToC4Staff1Click", -5},
                                                 {"mitToDrumStaffClick", -4}};
    for (const auto& [name, clef] : clefs)
        h[name] = [clef](QAction*) { ChangeClef(clef); };
    h["mitStaffOptionsClick"] = [this](QAction*) {
        TCell cell;
        GetCursorCell(cell);
        const bool clef = IsClefCell(cell);
        const int bits = cell.playDur;
        if (QAction* a = CommandAction("mitCommentStaff"))
            a->setEnabled(clef);
        if (!clef)
            return;
        const std::pair<const char*, int> checks[] = {
            {"mitHideClefSign", 4}, {"mitHideKeySignature", 2}, {"mitHideEndLine", 1}, {"mitCommentStaff", 32}};
        for (const auto& [n, bit] : checks)
            if (QAction* a = CommandAction(n))
                a->setChecked((bits & bit) != 0);
    };
    const std::pair<const char*, int> attributes[] = {
        {"mitHideClefSignClick", sbHideClef},      {"mitHideKeySignatureClick", sbHideKeySignature},
        {"mitHideEndLineClick", sbHideEndLine},    {"mitShowStartLineClick", sbStartLine},
        {"mitHideStartLine1Click", sbStartLine},   {"mit8VaHClick", sb8vaAbove},
        {"mit8VaLClick", sb8vaBelow},              {"MoveUp1Click", saMoveStaffUp},
        {"MoveDown1Click", saMoveStaffDown},       {"mitExtenttoEndLineClick", saExtendToEndLine}};
    for (const auto& [name, bit] : attributes)
        h[name] = [this, bit = bit](QAction*) { Ed.ToggleAttribute(bit); };
    h["mitCommentStaffClick"] = [this](QAction*) {
        if (SelCol0 < 0 || SelRow0 < 0 || SelCol0 >= Cols || SelRow0 >= Rows)
            return;
        Undo.SaveUndo();
        TCell& cell = PageSets[static_cast<size_t>(CurLayer)][static_cast<size_t>(CurPage)]
                              [static_cast<size_t>(SelRow0)][static_cast<size_t>(SelCol0)];
        if (cell.playDur & 32)
            cell.fontSizeR = 1.0f; // a comment staff drawn small goes back to full size
        cell.playDur ^= 32;
        SetModified(true);
        RedrawPage();
    };

    // ---- Convert
    auto j2w = [this](int mode) {
        TConvertJ2W converter;
        if (mode < 0)
            converter.ConvertJ2WSelected(false);
        else {
            converter.ConvertJ2WAllPages(mode, false);
            ForceSaveAs = true;
        }
        RedrawPage();
    };
    h["mitChinesToWesternSelectedClick"] = [j2w](QAction*) { j2w(-1); };
    h["mitChinesToWesternAllPagesClick"] = [j2w](QAction*) { j2w(0); };
    h["mitC2WExceptGrandStaffClick"] = [j2w](QAction*) { j2w(1); };
    h["mitC2WOnlyGrandStaffClick"] = [j2w](QAction*) { j2w(2); };
    auto w2j = [this](int mode) {
        if (mode < 0)
            W2JConverter.ConvertW2JSelected(false);
        else {
            W2JConverter.ConvertW2JAllPages(mode, false);
            ForceSaveAs = true;
        }
        RedrawPage();
    };
    h["mitWesternToChineseSelectedClick"] = [w2j](QAction*) { w2j(-1); };
    h["mitWesternToChineseAllPagesClick"] = [w2j](QAction*) { w2j(0); };
    h["mitW2CExceptGrandStaffClick"] = [w2j](QAction*) { w2j(1); };
    h["mitW2COnlyGrandStaffClick"] = [w2j](QAction*) { w2j(2); };

    // ---- Tool
    h["mitToolClick"] = [this](QAction*) { mitToolClick(); };
    h["mitSwitchDefaultNoteClick"] = [this](QAction*) {
        DefaultNoteKind = (DefaultNoteKind + 1) % 3;
        const std::string number = std::to_string(1 << (DefaultNoteKind + 2));
        const std::string text = (Language ? Language->GetString(3661) : std::string()) + number;
        sbrPanel0->setText(QString::fromUtf8(text.c_str()));
        if (ShowCellHintHook)
            ShowCellHintHook(3661, number, SelCol0, SelRow0 + 1);
    };
    h["mitPlayClick"] = [this](QAction*) { btnPlayDirctlyClick(); };
    h["ScanConvert1Click"] = [](QAction*) {};

    // ---- Window
    auto toggle = [this](QWidget* form) {
        if (!form)
            return;
        if (!form->isVisible())
            PlaceToolWindow(form);
        form->setVisible(!form->isVisible());
    };
    h["btnSpcialClick"] = [this, toggle](QAction*) { toggle(frmSpecial); };
    h["btnLongSymbolClick"] = [this, toggle](QAction*) { toggle(frmDynMark); };
    h["mitTextSymbolsClick"] = [this, toggle](QAction*) { toggle(frmTextSymbols); };
    h["mitGongChiClick"] = [this, toggle, endText](QAction*) {
        endText();
        toggle(frmGongChi);
        if (frmGongChi && frmGongChi->isVisible() != GongChiMode) {
            GongChiMode = frmGongChi->isVisible();
            RedrawPage();
        }
    };
    h["btnPlayMusicClick"] = [this](QAction*) { btnPlayMusicClick(); };
    h["btnPlayDirctlyClick"] = [this](QAction*) { btnPlayDirctlyClick(); };
    h["btnKeyboardClick"] = [this](QAction*) { btnKeyboardClick(); };
    h["mitResetPositionClick"] = [this](QAction*) {
        if (!frmDynMark)
            return;
        const int left = width() - frmDynMark->width() - 100;
        auto place = [left](QWidget* form, int top) {
            if (form)
                form->move(left, top);
        };
        place(frmDynMark, 100);
        place(frmSpecial, 150);
        place(reinterpret_cast<QWidget*>(frmWestNotes), 200);
        place(frmTextSymbols, 250);
        place(frmGongChi, 300);
        if (PlayWindowWidget)
            place(PlayWindowWidget(), 350);
        place(frmDynMark, 400);
        place(reinterpret_cast<QWidget*>(frmWestNotes), 450);
    };

    // ---- Help
    h["mitAboutClick"] = [this](QAction*) { mitAboutClick(); };
    auto openDocument = [this](const std::string& file, int missingId) {
        std::string folder = ProgramFolder.empty() ? ProgramFolderPath : ProgramFolder;
        if (!folder.empty() && folder.back() != '/')
            folder += '/';
        const std::string path = folder + "Document/" + file;
        if (!std::filesystem::exists(path)) {
            MessageOkById(missingId, path, mkError);
            return;
        }
        if (!(OpenDocument ? OpenDocument(path)
                           : QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(path.c_str())))))
            MessageOkById(3130, path, mkError);
    };
    h["mitUsersGuideClick"] = [openDocument](QAction*) {
        const bool chinese = Language && Language->UseChinese;
        openDocument(chinese ? "TonquillUsersGuide_Chinese.pdf" : "TonquillUsersGuide_English.pdf", 3129);
    };
    h["MusicTerm1Click"] = [openDocument](QAction*) { openDocument("MusicTerm.xlsx", 3136); };

    // ---- automatic underlines, beat groups, note shifting
    h["btnShrinkClick"] = [this](QAction*) { btnShrinkClick(); };
    h["mitHiDotClick"] = [this](QAction*) { mitHiDotClick(); };
    h["mitLowDotClick"] = [this](QAction*) { mitLowDotClick(); };
    h["mitUnderlineClick"] = [this](QAction*) { mitUnderlineClick(); };
    h["mitDelUnderlineClick"] = [this](QAction*) { mitDelUnderlineClick(); };
    h["mit8vaHigherClick"] = [this](QAction*) { mit8vaHigherClick(); };
    h["mit8vaLowerClick"] = [this](QAction*) { mit8vaLowerClick(); };
    h["mit1vaHigherClick"] = [this](QAction*) { mit1vaHigherClick(); };
    h["mit1vaLowerClick"] = [this](QAction*) { mit1vaLowerClick(); };
    h["Selected1Click"] = [this](QAction*) { Selected1(); };
    h["mitCurrentPageClick"] = [this](QAction*) { mitCurrentPage(); };
    h["mitAutoLineAllClick"] = [this](QAction*) { mitAutoLineAll(); };
    h["mitIncreaseUnderlineClick"] = [this](QAction*) { mitIncreaseUnderline(); };
    h["btnSwapUnderlineClick"] = [this](QAction*) { btnSwapUnderline(); };

    // ---- left tool bar
    h["btnUnderline0Click"] = [this, tag](QAction* a) { CellOps.SetUnderlines(tag(a), false); };
    h["btnDot2dClick"] = [tag](QAction* a) { SetOctaveDots(tag(a)); };
    h["AttrClick"] = [tag](QAction* a) { ToggleNoteAttr(static_cast<uint32_t>(tag(a))); };
    h["SpecClick"] = [tag](QAction* a) { InsertSpecialSymbol(tag(a)); };
    h["btnPrenticeClick"] = [tag](QAction* a) { AddWestNoteOrProp(tag(a), true, -1000.0f, true); };

    AddToolHandlers(h);
    return h;
}
