#include "app/frmTQMain.h"

#include "palettes/frmTQPalettes.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

#include "app/modTQMain.h"
#include "convert/modTQConvertJ2W.h"
#include "convert/modTQW2JWindow.h"
#include "edit/modTQWestChord.h"
#include "edit/modTQWestEntry.h"
#include "palettes/modTQDynMark.h"
#include "palettes/modTQPaletteHooks.h"
#include "palettes/modTQSpecial.h"
#include "play/modTQPlayState.h"
#include "play/modTQPlayWindow.h"
#include "edit/modTQGrandStaff.h"
#include "play/frmTQPlay.h"
#include "lang/frmTQAbout.h"
#include "lang/frmTQMessage.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "model/modTQUndo.h"
#include "model/modTQUtil.h"
#include "output/frmTQBook.h"
#include "output/frmTQBrowser.h"
#include "output/frmTQPrint.h"
#include "output/frmTQSaveImage.h"
#include "play/modTQMIDI.h"
#include "play/modTQPlayState.h"
#include "platform/core/TQFiles.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQStrings.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "edit/frmTQWestNotes.h"
#include "edit/modTQWestEntry.h"

TfrmMsgYNC* frmMsgYNC = nullptr;

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

// A small picture for a tool button: a text or a drawn bar line.
QIcon TextIcon(const QString& text) {
    QImage img(24, 24, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(text.size() > 2 ? 9 : 15);
    f.setBold(true);
    p.setFont(f);
    p.drawText(img.rect(), Qt::AlignCenter, text);
    return QIcon(QPixmap::fromImage(img));
}

QIcon BarIcon(int kind) {
    QImage img(24, 24, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    auto thin = [&](int x) { p.drawLine(x, 3, x, 20); };
    auto thick = [&](int x) { p.fillRect(x, 3, 3, 18, Qt::black); };
    auto dots = [&](int x) {
        p.drawEllipse(QPoint(x, 9), 1, 1);
        p.drawEllipse(QPoint(x, 15), 1, 1);
    };
    switch (kind) {
    case 0: thin(12); break;                       // single
    case 1: thick(7); thin(13); break;             // begin
    case 2: thin(9); thick(14); break;             // end
    case 3: thick(6); thin(11); dots(16); break;   // repeat begin
    case 4: dots(7); thin(12); thick(15); break;   // repeat end
    default: thin(9); thin(13); break;             // double
    }
    return QIcon(QPixmap::fromImage(img));
}

// Layer images 60 (layer 0) and 61 (layer 1).
QIcon LayerIcon(int image) { return TextIcon(image == 61 ? QStringLiteral("L2") : QStringLiteral("L1")); }

QAction* Item(QMenu* menu, const char* name, const char* caption, int tag, bool checkable = false) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    SetTag(a, tag);
    a->setCheckable(checkable);
    return a;
}

QToolButton* Button(QToolBar* bar, const char* name, const QIcon& icon, const char* hint, int tag) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(icon);
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoRaise(true);
    SetTag(b, tag);
    bar->addWidget(b);
    return b;
}

// A button whose face is a short text drawn as its picture; the text stays
// readable as the property "FaceText" (a face is seen in every language).
QToolButton* Button(QToolBar* bar, const char* name, const QString& face, const char* hint, int tag) {
    QToolButton* b = Button(bar, name, TextIcon(face), hint, tag);
    b->setProperty("FaceText", face);
    return b;
}

} // namespace

// ---------------------------------------------------------------- paint box

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TPaintBox::paintEvent(QPaintEvent*) {
    if (OnPaint)
        OnPaint();
    QPainter p(this);
    if (Picture && !Picture->isNull())
        p.drawImage(0, 0, *Picture);
    else
        p.fillRect(rect(), Qt::white);
}

// ---------------------------------------------------------------- construction

TfrmMainTQ::TfrmMainTQ(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMainTQ"));
    setAcceptDrops(true);
    BuildMenus();
    BuildToolBars();
    BuildPanels();
    SetHooks();
    BuildEntryControls();
    BuildCursorParts();
    BuildKeyboardPanel();
    SetKeyboardHooks();
    SetPointerHooks();
    timDrag = new QTimer(this);
    timDrag->setObjectName(QStringLiteral("timDrag"));
    timDrag->setInterval(300);
    connect(timDrag, &QTimer::timeout, this, [this] { timDragTimer(); });
    pbxMain->installEventFilter(this);
    pbxRight->installEventFilter(this);
    pbxMain->setMouseTracking(true);
    pbxMain->setAcceptDrops(true);
    scrMain->viewport()->installEventFilter(this);
    BuildPlayWindow();
    BuildCommands();
    PlaceEntrySwitches();
    FormCreate();
}

TfrmMainTQ::~TfrmMainTQ() {
    qApp->removeEventFilter(this);
    FormDestroy();
    Undo.OnGoToPage = nullptr;
    Undo.OnPageCaption = nullptr;
    Undo.OnClearHighlights = nullptr;
    W2JWindow = TW2JWindowHooks{};
    J2WServices = TJ2WServices{};
    PaletteHooks().AdvanceCursor = nullptr;
    PaletteHooks().PrintScore = nullptr;
    WestEntryHooks().InsertSpecialSymbol = nullptr;
    WestEntryHooks().FlipMarks = nullptr;
    WestEntryHooks().FocusMainWindow = nullptr;
    SetMainEd(nullptr);
    ResetPlayerHooks();
    Undo.OnUndoEnabled = nullptr;
    Undo.OnRedoEnabled = nullptr;
    if (ownPlayState_ && frmPlay == ownPlayState_.get())
        frmPlay = nullptr;
    PlayWindowHooks() = ::TPlayWindowHooks();
    PaletteHooks().SpecialKeysEnabled = nullptr;
    PaletteHooks().DynKeysEnabled = nullptr;
    GrandStaffHooks().AdjustPlayRule = nullptr;
    if (playWindow_) {
        delete playWindow_; // its play state leaves frmPlay
        playWindow_ = nullptr;
    }
    if (frmMainTQ == static_cast<TMainScore*>(this))
        frmMainTQ = nullptr;
}

void TfrmMainTQ::BuildMenus() {
    mnuMain = menuBar();
    mnuMain->setObjectName(QStringLiteral("mnuMain"));

    mitFile = mnuMain->addMenu(QStringLiteral("File"));
    mitFile->setObjectName(QStringLiteral("mitFile"));
    SetTag(mitFile, 250);
    mitNew = Item(mitFile, "mitNew", "New", 251);
    mitNew->setShortcut(QKeySequence::New);
    mitOpen = Item(mitFile, "mitOpen", "Open . . .", 252);
    mitOpen->setShortcut(QKeySequence::Open);
    mitSave = Item(mitFile, "mitSave", "Save", 253);
    mitSave->setShortcut(QKeySequence::Save);
    mitSaveAs = Item(mitFile, "mitSaveAs", "Save As . . .", 254);
    mitFile->addSeparator();
    QAction* mitPrint = Item(mitFile, "mitPrint", "Print . . .", 257);
    QAction* mitPrinterSetup = Item(mitFile, "mitPrinterSetup", "Printer Setup . . .", 258);
    QAction* mitSavetoBMP = Item(mitFile, "mitSavetoBMP", "Save as Image . . .", 256);
    mitFile->addSeparator();
    QAction* mitBook = Item(mitFile, "mitBook", "Music Book . . .", 259);
    QAction* mitBrowser = Item(mitFile, "mitBrowser", "Score Browser . . .", 260);
    connect(mitPrint, &QAction::triggered, this, [this] { btnPrintClick(this); });
    connect(mitPrinterSetup, &QAction::triggered, this, [this] { mitPrinterSetupClick(this); });
    connect(mitSavetoBMP, &QAction::triggered, this, [this] { mitSavetoBMPClick(this); });
    connect(mitBook, &QAction::triggered, this, [this] {
        PlaceNewBookWindow();
        mitBookClick(this);
    });
    connect(mitBrowser, &QAction::triggered, this, [this] { mitBrowserClick(this); });
    mitFile->addSeparator();
    mitExit = Item(mitFile, "mitExit", "Exit", 255);
    connect(mitFile, &QMenu::aboutToShow, this, [this] { mitFileClick(); });
    connect(mitNew, &QAction::triggered, this, [this] { mitNewClick(); });
    connect(mitOpen, &QAction::triggered, this, [this] { mitOpenClick(); });
    connect(mitSave, &QAction::triggered, this, [this] { mitSaveClick(); });
    connect(mitSaveAs, &QAction::triggered, this, [this] { mitSaveAsClick(); });
    connect(mitExit, &QAction::triggered, this, [this] { close(); });

    mitView = mnuMain->addMenu(QStringLiteral("View"));
    mitView->setObjectName(QStringLiteral("mitView"));
    SetTag(mitView, 400);
    mitPreviousPage = Item(mitView, "mitPreviousPage", "Previous Page", 411);
    mitPreviousPage->setShortcut(Qt::Key_PageUp | Qt::CTRL);
    mitNextPage = Item(mitView, "mitNextPage", "Next Page", 410);
    mitNextPage->setShortcut(Qt::Key_PageDown | Qt::CTRL);
    mitHome = Item(mitView, "mitHome", "First Page", 413);
    mitView->addSeparator();
    mitSwitchLayer = Item(mitView, "mitSwitchLayer", "Switch Layer", 416);
    MovetoNextLayer1 = Item(mitView, "MovetoNextLayer1", "Move to Other Layer", 417);
    mitSwitchLayerContent = Item(mitView, "mitSwitchLayerContent", "Swap Layers", 418);
    mitApplyToBothLayer = Item(mitView, "mitApplyToBothLayer", "Apply Edit to Both Layers", 213, true);
    mitView->addSeparator();
    mitZoom = mitView->addMenu(QStringLiteral("Zoom"));
    mitZoom->setObjectName(QStringLiteral("mitZoom"));
    SetTag(mitZoom, 422);
    struct ZoomItem {
        int percent;
        QKeyCombination key;
    };
    const ZoomItem zooms[] = {{50, {}}, {60, {}}, {80, {}}, {100, Qt::CTRL | Qt::Key_F1}, {150, {}},
                              {200, {}}, {300, Qt::CTRL | Qt::Key_F3}, {400, Qt::CTRL | Qt::Key_F4}};
    for (const ZoomItem& z : zooms) {
        QAction* a = mitZoom->addAction(QString::number(z.percent) + QLatin1Char('%'));
        a->setData(z.percent); // the help-context number
        if (z.key != QKeyCombination())
            a->setShortcut(QKeySequence(z.key));
        const int percent = z.percent;
        connect(a, &QAction::triggered, this, [this, percent] { ZoomClick(percent); });
    }
    mitZoomIn = Item(mitView, "mitZoomIn", "Zoom In", 402);
    mitZoomOut = Item(mitView, "mitZoomOut", "Zoom Out", 403);
    mitFittoWidth = Item(mitView, "mitFittoWidth", "Fit to Width", 404);
    mitFilttoHeight = Item(mitView, "mitFilttoHeight", "Fit to Height", 405);
    mitNormalView = Item(mitView, "mitNormalView", "Switch View", sidNormalView);
    mitFullView = Item(mitView, "mitFullView", "Full Page View", sidFullView);
    mitSliceView = Item(mitView, "mitSliceView", "Side Page View", 423);
    mitView->addSeparator();
    mitShowGrid = Item(mitView, "mitShowGrid", "Show Grid", 401, true);
    mitRefresh = Item(mitView, "mitRefresh", "Refresh", sidRefresh);
    mitRefresh->setShortcut(Qt::Key_F5);
    mitClearHightlights = Item(mitView, "mitClearHightlights", "Clear Highlights", 408);
    mitGongChiMode = Item(mitView, "mitGongChiMode", "Gongche Mode", 409, true);
    mitShowOwnerCell = Item(mitView, "mitShowOwnerCell", "Show Owner Cell", 406, true);
    mitView->addSeparator();
    mitHintSize = mitView->addMenu(QStringLiteral("Hint Size"));
    SetTag(mitHintSize, 424);
    mitSmall = Item(mitHintSize, "mitSmall", "Small", 634, true);
    mitMed = Item(mitHintSize, "mitMed", "Medium", 635, true);
    mitLarge = Item(mitHintSize, "mitLarge", "Large", 636, true);
    mitPopupHint = Item(mitView, "mitPopupHint", "Show Hints", 407, true);
    mitShowHintinJianpu = Item(mitView, "mitShowHintinJianpu", "Jianpu Style", 531, true);
    mitFixedKey = Item(mitView, "mitFixedKey", "Fixed Key", 532, true);
    mitMiddleLineinRed = Item(mitView, "mitMiddleLineinRed", "Middle Line in Red", 641, true);
    connect(mitView, &QMenu::aboutToShow, this, [this] { mitViewClick(); });
    connect(mitPreviousPage, &QAction::triggered, this, [this] { btnPreviousPageClick(); });
    connect(mitNextPage, &QAction::triggered, this, [this] { btnNextPageClick(); });
    connect(mitHome, &QAction::triggered, this, [this] { btnHomeClick(); });
    connect(mitSwitchLayer, &QAction::triggered, this, [this] { btnLayerClick(); });
    connect(MovetoNextLayer1, &QAction::triggered, this, [this] { MovetoNextLayer1Click(); });
    connect(mitSwitchLayerContent, &QAction::triggered, this, [this] { mitSwitchLayerContentClick(); });
    connect(mitApplyToBothLayer, &QAction::triggered, this, [this] { mitApplyToBothLayerClick(); });
    connect(mitZoomIn, &QAction::triggered, this, [this] { btnZoomInClick(); });
    connect(mitZoomOut, &QAction::triggered, this, [this] { btnZoomOutClick(); });
    connect(mitFittoWidth, &QAction::triggered, this, [this] { mitFittoWidthClick(); });
    connect(mitFilttoHeight, &QAction::triggered, this, [this] { mitFilttoHeightClick(); });
    connect(mitNormalView, &QAction::triggered, this, [this] { mitNormalViewClick(); });
    connect(mitFullView, &QAction::triggered, this, [this] { mitFullViewClick(); });
    connect(mitSliceView, &QAction::triggered, this, [this] { mitSliceViewClick(); });
    connect(mitShowGrid, &QAction::triggered, this, [this] { mitShowGridClick(); });
    connect(mitRefresh, &QAction::triggered, this, [this] { mitRefreshClick(); });
    connect(mitShowOwnerCell, &QAction::toggled, this, [this](bool on) {
        mitShowOwnerCellChecked = on;
        RedrawPage();
    });
    connect(mitFixedKey, &QAction::toggled, this, [this](bool on) { mitFixedKeyChecked = on; });
    connect(mitPopupHint, &QAction::toggled, this, [this](bool on) { PopupHintChecked = on; });
    connect(mitShowHintinJianpu, &QAction::toggled, this, [this](bool on) { ShowHintinJianpuChecked = on; });
    connect(mitMiddleLineinRed, &QAction::toggled, this, [this](bool on) { MiddleLineinRedChecked = on; });

    mitWindow = mnuMain->addMenu(QStringLiteral("Window"));
    mitWindow->setObjectName(QStringLiteral("mitWindow"));
    SetTag(mitWindow, 450);
    // The tool windows: the four symbol palettes are shown and hidden from
    // here; the play and Western-note windows are not built yet.
    mitMusicPlayer = Item(mitWindow, "mitMusicPlayer", "Music Player", 3205, true);
    mitSpecialSymbols = Item(mitWindow, "mitSpecialSymbols", "Special Symbols", 451, true);
    mitDynamicMarks = Item(mitWindow, "mitDynamicMarks", "Dynamic Marks", 452, true);
    mitWesternStyleNotes = Item(mitWindow, "mitWesternStyleNotes", "Western Notes", 453, true);
    mitGongChi = Item(mitWindow, "mitGongChi", "Gongche", 456, true);
    mitTextSymbols = Item(mitWindow, "mitTextSymbols", "Text Symbols", 455, true);
    mitMusicPlayer->setEnabled(false);
    connect(mitWesternStyleNotes, &QAction::triggered, this, [this] { btnWestenStyleNotesClick(); });
    frmSpecial = CreateSpecialPalette(this);
    frmDynMark = CreateDynMarkPalette(this);
    frmGongChi = CreateGongChiPalette(this);
    frmTextSymbols = CreateTextSymbolsPalette(this);
    for (auto [item, form] : {std::pair{mitSpecialSymbols, frmSpecial}, std::pair{mitDynamicMarks, frmDynMark},
                              std::pair{mitGongChi, frmGongChi}, std::pair{mitTextSymbols, frmTextSymbols}})
        connect(item, &QAction::triggered, this, [this, form] {
            form->setVisible(!form->isVisible());
            if (form == frmGongChi) {
                GongChiMode = form->isVisible();
                RedrawPage();
            }
        });
    connect(mitWindow, &QMenu::aboutToShow, this, [this] { mitWindowClick(); });

    mitHelp = mnuMain->addMenu(QStringLiteral("Help"));
    mitHelp->setObjectName(QStringLiteral("mitHelp"));
    SetTag(mitHelp, 800);
    mitAbout = Item(mitHelp, "mitAbout", "About Tonquill . . .", 801);
    connect(mitAbout, &QAction::triggered, this, [this] { mitAboutClick(); });
}

void TfrmMainTQ::BuildToolBars() {
    tbrlTop = addToolBar(QStringLiteral("Main"));
    tbrlTop->setObjectName(QStringLiteral("tbrlTop"));
    SetTag(tbrlTop, sidMainToolBar);
    tbrlTop->setMovable(false);
    // the file buttons show the style's pictures of a page, an open folder and a disk
    btnNew = Button(tbrlTop, "btnNew", style()->standardIcon(QStyle::SP_FileIcon), "New", 251);
    btnOpenFile = Button(tbrlTop, "btnOpenFile", style()->standardIcon(QStyle::SP_DialogOpenButton), "Open", 252);
    btnSaveFile = Button(tbrlTop, "btnSaveFile", style()->standardIcon(QStyle::SP_DialogSaveButton), "Save", 253);
    tbrlTop->addSeparator();
    btnPreviousPage = Button(tbrlTop, "btnPreviousPage", QStringLiteral("<"), "Previous Page", 411);
    cbxPageNum = new QComboBox(tbrlTop);
    cbxPageNum->setObjectName(QStringLiteral("cbxPageNum"));
    cbxPageNum->setEditable(true);
    cbxPageNum->setMinimumWidth(60);
    cbxPageNum->setInsertPolicy(QComboBox::NoInsert);
    tbrlTop->addWidget(cbxPageNum);
    btnNextPage = Button(tbrlTop, "btnNextPage", QStringLiteral(">"), "Next Page", 410);
    btnHome = Button(tbrlTop, "btnHome", QStringLiteral("|<"), "First Page", 413);
    tbrlTop->addSeparator();
    btnLayer = Button(tbrlTop, "btnLayer", LayerIcon(60), "Switch Layer", 416);
    tbrlTop->addSeparator();
    btnZoomOut = Button(tbrlTop, "btnZoomOut", QStringLiteral("-"), "Zoom Out", 403);
    trkZoom = new QSlider(Qt::Horizontal, tbrlTop);
    trkZoom->setObjectName(QStringLiteral("trkZoom"));
    trkZoom->setRange(30, 500);
    trkZoom->setMaximumWidth(140);
    tbrlTop->addWidget(trkZoom);
    btnZoomIn = Button(tbrlTop, "btnZoomIn", QStringLiteral("+"), "Zoom In", 402);
    lblZoom = new QLabel(QStringLiteral("100%"), tbrlTop);
    lblZoom->setObjectName(QStringLiteral("lblZoom"));
    lblZoom->setMinimumWidth(44);
    tbrlTop->addWidget(lblZoom);

    connect(btnNew, &QToolButton::clicked, this, [this] { mitNewClick(); });
    connect(btnOpenFile, &QToolButton::clicked, this, [this] { mitOpenClick(); });
    connect(btnSaveFile, &QToolButton::clicked, this, [this] { mitSaveClick(); });
    connect(btnPreviousPage, &QToolButton::clicked, this, [this] { btnPreviousPageClick(); });
    connect(btnNextPage, &QToolButton::clicked, this, [this] { btnNextPageClick(); });
    connect(btnHome, &QToolButton::clicked, this, [this] { btnHomeClick(); });
    connect(btnLayer, &QToolButton::clicked, this, [this] { btnLayerClick(); });
    connect(btnZoomIn, &QToolButton::clicked, this, [this] { btnZoomInClick(); });
    connect(btnZoomOut, &QToolButton::clicked, this, [this] { btnZoomOutClick(); });
    connect(trkZoom, &QSlider::valueChanged, this, [this](int v) { trkZoomChange(v); });
    connect(cbxPageNum, &QComboBox::textActivated, this, [this](const QString& t) {
        cbxPageNumChange(S(t.trimmed()));
        pbxMain->setFocus();
    });

    tbrLeft = new QToolBar(QStringLiteral("Bar lines"), this);
    tbrLeft->setObjectName(QStringLiteral("tbrLeft"));
    SetTag(tbrLeft, sidNoteToolBar);
    tbrLeft->setMovable(false);
    addToolBar(Qt::LeftToolBarArea, tbrLeft);
    // The bar-line commands come with the editing commands; the buttons follow
    // the layer (bar lines belong to layer 0).
    btnSingleBar = Button(tbrLeft, "btnSingleBar", BarIcon(0), "Bar Line", 0);
    btnBarL = Button(tbrLeft, "btnBarL", BarIcon(1), "Begin Bar", 0);
    btnBarR = Button(tbrLeft, "btnBarR", BarIcon(2), "End Bar", 0);
    btnRepeatBarL = Button(tbrLeft, "btnRepeatBarL", BarIcon(3), "Begin Repeat", 0);
    btnRepeatBarR = Button(tbrLeft, "btnRepeatBarR", BarIcon(4), "End Repeat", 0);
    btnDoubleBar = Button(tbrLeft, "btnDoubleBar", BarIcon(5), "Double Bar", 0);
}

void TfrmMainTQ::BuildPanels() {
    pnlMain = new QWidget(this);
    pnlMain->setObjectName(QStringLiteral("pnlMain"));
    auto* column = new QVBoxLayout(pnlMain);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    splSideImage = new QSplitter(Qt::Horizontal, pnlMain);
    splSideImage->setObjectName(QStringLiteral("splSideImage"));
    scrMain = new QScrollArea(splSideImage);
    scrMain->setObjectName(QStringLiteral("scrMain"));
    scrMain->setWidgetResizable(false);
    scrContents = new QWidget;
    pbxMain = new TPaintBox(scrContents);
    pbxMain->setObjectName(QStringLiteral("pbxMain"));
    pbxMain->move(0, 0);
    pbxMain->setFocusPolicy(Qt::StrongFocus);
    pbxRight = new TPaintBox(scrContents);
    pbxRight->setObjectName(QStringLiteral("pbxRight"));
    pbxRight->hide();
    scrMain->setWidget(scrContents);
    splSideImage->addWidget(scrMain);

    pnlSideImg = new QWidget(splSideImage);
    pnlSideImg->setObjectName(QStringLiteral("pnlSideImg"));
    auto* side = new QVBoxLayout(pnlSideImg);
    side->setContentsMargins(0, 0, 0, 0);
    lblSideImgFileName = new QLabel(pnlSideImg);
    side->addWidget(lblSideImgFileName);
    scrSideImg = new QScrollArea(pnlSideImg);
    pbxSideImg = new TPaintBox;
    pbxSideImg->setObjectName(QStringLiteral("pbxSideImg"));
    pbxSideImg->Picture = &SidePicture;
    scrSideImg->setWidget(pbxSideImg);
    side->addWidget(scrSideImg);
    splSideImage->addWidget(pnlSideImg);
    pnlSideImg->hide();
    connect(splSideImage, &QSplitter::splitterMoved, this, [this] { SideImagePanelSized = true; });
    // The page (with the side picture and the slice buttons) over the piano
    // panel, whose height the splitter sets.
    splKeyboard = new QSplitter(Qt::Vertical, pnlMain);
    splKeyboard->setObjectName(QStringLiteral("splKeyboard"));
    splKeyboard->setChildrenCollapsible(false);
    auto* pageArea = new QWidget(splKeyboard);
    auto* pageColumn = new QVBoxLayout(pageArea);
    pageColumn->setContentsMargins(0, 0, 0, 0);
    pageColumn->setSpacing(0);
    pageColumn->addWidget(splSideImage, 1);
    splKeyboard->addWidget(pageArea);
    column->addWidget(splKeyboard, 1);

    panSliceViewButton = new QWidget(pageArea);
    panSliceViewButton->setObjectName(QStringLiteral("panSliceViewButton"));
    panSliceViewButton->setFixedHeight(32);
    btnPreSlice = new QPushButton(QStringLiteral("<<"), panSliceViewButton);
    btnCloseSlice = new QPushButton(QStringLiteral("X"), panSliceViewButton);
    btnNextSlice = new QPushButton(QStringLiteral(">>"), panSliceViewButton);
    panSliceViewButton->hide();
    pageColumn->addWidget(panSliceViewButton);
    connect(btnPreSlice, &QPushButton::clicked, this, [this] {
        btnPreSliceClick();
        PaintRightBox();
    });
    connect(btnNextSlice, &QPushButton::clicked, this, [this] {
        btnNextSliceClick();
        PaintRightBox();
    });
    connect(btnCloseSlice, &QPushButton::clicked, this, [this] { btnCloseSliceClick(); });

    pnlBottom = new QWidget(splKeyboard);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    auto* bottom = new QVBoxLayout(pnlBottom);
    bottom->setContentsMargins(0, 0, 0, 0);
    pnlKeyboard = new QWidget(pnlBottom);
    pnlKeyboard->setObjectName(QStringLiteral("pnlKeyboard"));
    pnlKeyboard->hide(); // the on-screen piano lives here once it is built
    pnlBottom->hide();
    bottom->addWidget(pnlKeyboard);
    splKeyboard->addWidget(pnlBottom);
    splKeyboard->setStretchFactor(0, 1);
    splKeyboard->setStretchFactor(1, 0);
    setCentralWidget(pnlMain);

    sbrMain = statusBar();
    sbrMain->setObjectName(QStringLiteral("sbrMain"));
    sbrPanel0 = new QLabel(sbrMain);
    sbrPanel0->setMinimumWidth(180);
    sbrPanel1 = new QLabel(sbrMain);
    sbrMain->addWidget(sbrPanel0);
    sbrMain->addWidget(sbrPanel1, 1);

    pbxMain->Picture = &PagePicture.Image();
    pbxMain->OnPaint = [this] { PaintMainBox(); };
    pbxRight->Picture = &RightPagePicture.Image();
}

void TfrmMainTQ::MakeFileDialogs() {
    // Qt's file dialog keeps some texts of the language it was made in (the
    // computer's entry, the file types): the dialogs are made again with each
    // language, where the old ones were.
    const QString openFolder = dlgOpen ? dlgOpen->directory().absolutePath() : QString();
    const QString saveFolder = dlgSave ? dlgSave->directory().absolutePath() : QString();
    const QString pictureFolder = dlgOpenPic ? dlgOpenPic->directory().absolutePath() : QString();
    delete dlgOpen;
    delete dlgSave;
    delete dlgOpenPic;
    const QString filter = QStringLiteral("Music Files (*.mus);;All Files (*)");
    dlgOpen = new QFileDialog(this, QStringLiteral("Open Music File"));
    dlgOpen->setObjectName(QStringLiteral("dlgOpen"));
    SetTag(dlgOpen, 1060);
    dlgOpen->setOption(QFileDialog::DontUseNativeDialog);
    dlgOpen->setFileMode(QFileDialog::ExistingFile);
    dlgOpen->setNameFilter(filter);
    dlgOpen->setDefaultSuffix(QStringLiteral("mus"));
    dlgSave = new QFileDialog(this, QStringLiteral("Save Music File As"));
    dlgSave->setObjectName(QStringLiteral("dlgSave"));
    SetTag(dlgSave, 1062);
    dlgSave->setOption(QFileDialog::DontUseNativeDialog);
    dlgSave->setOption(QFileDialog::DontConfirmOverwrite); // asked by the language object
    dlgSave->setAcceptMode(QFileDialog::AcceptSave);
    dlgSave->setNameFilter(filter);
    dlgSave->setDefaultSuffix(QStringLiteral("mus"));
    // A path typed with Enter closes the dialog: its name completer's list goes with it.
    for (QFileDialog* d : {dlgOpen, dlgSave})
        connect(d, &QDialog::finished, d, [d] {
            for (QCompleter* c : d->findChildren<QCompleter*>())
                if (c->popup())
                    c->popup()->hide();
        });
    dlgOpenPic = new QFileDialog(this);
    dlgOpenPic->setObjectName(QStringLiteral("dlgOpenPic"));
    dlgOpenPic->setOption(QFileDialog::DontUseNativeDialog);
    dlgOpenPic->setFileMode(QFileDialog::ExistingFile);
    dlgOpenPic->setNameFilter(QStringLiteral("*.jpg *.bmp *.jpeg"));
    if (!openFolder.isEmpty()) {
        dlgOpen->setDirectory(openFolder);
        dlgSave->setDirectory(saveFolder);
        dlgOpenPic->setDirectory(pictureFolder);
    }
}

void TfrmMainTQ::SetHooks() {
    frmMainTQ = this;
    PaintBoxCanvas = &PagePicture.Canvas();
    OutCanvas = PaintBoxCanvas;
    OnPageResized = [this](int width, int height) {
        PaintBoxWidth = std::max(1, width);
        PaintBoxHeight = std::max(1, height);
        if (PagePicture.Width() != PaintBoxWidth || PagePicture.Height() != PaintBoxHeight)
            PagePicture.SetSize(PaintBoxWidth, PaintBoxHeight);
        pbxMain->Picture = &PagePicture.Image();
        pbxMain->setFixedSize(PaintBoxWidth, PaintBoxHeight);
        const int right = pbxRight->isVisible() ? pbxRight->x() + pbxRight->width() : 0;
        scrContents->resize(std::max(PaintBoxWidth, right), PaintBoxHeight);
        pictureCurrent_ = false;
        pbxMain->update();
    };
    OnPageDrawn = [this] {
        pictureCurrent_ = true;
        pbxMain->Picture = &PagePicture.Image();
        if (!painting_)
            pbxMain->update();
        if (SliceView == 2)
            PaintRightBox();
    };
    OnControlsChanged = [this] { ShowControls(); };
    OnModifiedChanged = [this](bool modified) {
        Controls.btnSaveFileEnabled = modified;
        SetControlEnabled(btnSaveFile, modified);
    };
    OnBeep = [] { QApplication::beep(); };
    OnOpenBook = [this](const std::string& path) {
        PlaceNewBookWindow();
        TfrmBook& book = BookWindow(this);
        book.ReadBook(path);
        book.show();
    };
    PaletteHooks().PrintScore = [](int, int, int) { PrintScoreOnPrinter(); };
    SetMainEd(&Ed);
    W2JWindow.SwitchToLayer0 = [this] { btnLayerClick(); };
    W2JWindow.Beep = [] { QApplication::beep(); };
    J2WServices.SetRowClef = [](int col, int row, int clef) {
        int oldClef = 0;
        SetRowClef(col, row, clef, oldClef, true);
    };
    J2WServices.FlipStems = [](int layer, int col, int row) { return FlipStems(layer, col, row, false); };
    J2WServices.ChooseClefStaff = [this] { return ChooseClefStaff(); };
    PaletteHooks().AdvanceCursor = [this] { AdvanceCursor(); };
    OnScoreOpened = [this, before = OnScoreOpened] {
        if (before)
            before();
        if (auto* palette = qobject_cast<TfrmTextSymbols*>(frmTextSymbols))
            palette->SetSymbolSizeQuietly(TextSymSize);
    };
    WestEntryHooks().InsertSpecialSymbol = [](int code) { InsertSpecialSymbol(code); };
    WestEntryHooks().FlipMarks = [] { FlipMark(true); };
    OnAskOpenFileName = [this](const std::string& proposed) { return AskOpenFileName(proposed); };
    OnAskSaveFileName = [this](const std::string& proposed) { return AskSaveFileName(proposed); };
    OnFileShown = [this](const std::string& path) {
        if (History)
            History->AddFile(path);
    };
    Undo.OnGoToPage = [this](int page) { GoToPage(page); };
    Undo.OnPageCaption = [this] { PageCaption(); };
    Undo.OnClearHighlights = [this] { Highlights.clear(); };
    trkZoom->installEventFilter(this);
    OnLoadPagePreferences = [this] {
        TPrefParts parts = PrefParts();
        LoadPagePreferences(parts);
        ApplyViewPrefs();
    };
}

// ---------------------------------------------------------------- start-up

void TfrmMainTQ::FormCreate() {
    // 1
    FirstPaint = true;
    FirstActivate = true;
    HintMode = 0;
    SideImage.reset();
    ImgFileName.clear();
    // 2: no system version to read here
    OSPlatform = 2;
    // 3, 4
    DefaultNoteKind = 0;
    ForceSaveAs = false;
    Unit = 0;
    CopyImageQuality = 10;
    RedrawFailZoom = -1000;
    SaveBinary = true;
    ColorBlackkeyNote = false;
    TextMode = 2;
    PageNumberBase = 0;
    KeyDownColor = 0xFF0000;
    BlackKeyDownColor = 0x000096;
    PrintByBmp = true;
    PaperWidth = 8.5f;
    PaperHeight = 11.0f;
    PaperType = 0; // Letter: the paper named is the 8.5 x 11 in sheet used
    PaperOri = 0;
    PageWidthUnits = 1000;
    PrePN = -1;
    SliceView = 0;
    HistoryFileNo = 6;
    LoadPreFile = true;
    CurClef = -1;
    // 5: read-only things beside the program, written things in the user folder
    ProgramFolderPath = TQProgramFolder();
    ProgramFolder = ProgramFolderPath;
    const std::string user = TQUserFolder();
    SetDefaultFolders(user);
    SavedImageFolder = user + "_SavedImage/";
    ForceDirectories(SavedImageFolder);
    // 6
    UpdatingPageControls = false;
    FooterFontSize = 8;
    AllowChineseFileName = false;
    AutoImageSize = false;
    ColorCopyImage = false;
    PageNumberStart = 0;
    OutCanvas = PaintBoxCanvas;
    // 7
    GoToPage(0);
    FileName = "Untitled";
    SetModified(false);
    // 8
    NoteFontName = "Arial";
    NoteFontStyle = 1;
    NoteFontCharset = 0;
    EnglishFontName = "Times New Roman";
    EnglishFontStyle = 1;
    EnglishFontCharset = 0;
    ChineseFontCharset = 134; // GB2312
    ChineseFontName = "SimSun";
    ChineseFontStyle = 0;
    // 9
    HintSize = 0.6f;
    TextSymSize = 8;
    mitMed->setChecked(true);
    DefJianpuShrinkRate = 15;
    DefJianpuVertRate = 15;
    DefWestShrinkRate = 0;
    PrintZoom = DefaultPrintZoom;
    // 10
    CellWidth = 15;
    CellHeight = 30;
    LeftMargin = 60;
    RightMargin = 30;
    TopMargin = 50;
    BottomMargin = 40;
    // 11
    WestDlgVisible = false;
    GongChiDlgVisible = false;
    TextSymDlgVisible = false;
    SpecialDlgVisible = true;
    PlyDlgVisible = false;
    DynDlgVisible = true;
    Zoom = 1.0;
    GongChiMode = false;
    // 12
    {
        TPrefParts parts = PrefParts();
        LoadPreferences(parts);
        ApplyViewPrefs();
    }
    // 13
    if (WindowWidth > 10 && WindowHeight > 10) {
        setWindowState(Qt::WindowNoState);
        // the client area kept at exit (geometry), not the frame
        setGeometry(WindowLeft, WindowTop, WindowWidth, WindowHeight);
    } else {
        setWindowState(Qt::WindowMaximized);
    }
    // 14: btnPaste comes with the clipboard commands
    // 15
    if (!Language->LoadLanguageDll())
        Language->UseChinese = false;
    SetUseChineseStrings(Language->UseChinese && Language->Loaded());
    MakeFileDialogs();
    // 16
    UpdateCaption();
    // 17
    CalcPageGrid();
    AllocateCurrentLayerPage(CurPage, true, 0, 0);
    // 18
    ShowGrid = true;
    SlurMode = false;
    OutputKind = 0;
    SelCol0 = SelRow0 = SelCol1 = SelRow1 = 0;
    OnPageResized(GetPageWidthPx(), GetPageHeightPx());
    // 19
    PageCaption();
    // 20
    SetWorkFolders(MusicFolder, ImageFolder);
    // 21
    History = std::make_unique<THistory>(HistoryFileNo, "TQHistoryFILE");
    History->OnChanged = [this] { ShowHistory(); };
    ShowHistory();
    // 22
    SetPenWidthScaled(0.027f, OutCanvas);
    // 24
    Controls.trkZoomPosition = RoundToInt(Zoom * 100);
    ApplyZoom();
    RefreshPageCombo();
    mitApplyToBothLayer->setChecked(ApplyToBothLayerChecked);
    mitPopupHint->setChecked(PopupHintChecked);
    mitShowHintinJianpu->setChecked(ShowHintinJianpuChecked);
    mitFixedKey->setChecked(mitFixedKeyChecked);
    mitMiddleLineinRed->setChecked(MiddleLineinRedChecked);
    ShowControls();
}

TPrefParts TfrmMainTQ::PrefParts() {
    viewPrefs_ = CollectViewPrefs();
    return TPrefParts{*this, *this, viewPrefs_, Language->UseChinese};
}

TViewPrefs TfrmMainTQ::CollectViewPrefs() const {
    TViewPrefs v;
    v.MainLayerColor = static_cast<int>(DrawEngine.MainLayerColor);
    v.BkColor = static_cast<int>(DrawEngine.BkColor);
    v.BackLayerColor = static_cast<int>(DrawEngine.BackLayerColor);
    v.HidenLayerColor = static_cast<int>(DrawEngine.HidenLayerColor);
    v.GridColor = static_cast<int>(DrawEngine.GridColor);
    v.SharpColor = static_cast<int>(DrawEngine.SharpColor);
    v.FlatColor = static_cast<int>(DrawEngine.FlatColor);
    v.ShowChangedRed = DrawEngine.ShowChangedRed;
    v.ColorBlackkeyNote = ColorBlackkeyNote;
    v.ColorCopyImage = ColorCopyImage;
    v.FooterFontSize = FooterFontSize;
    v.FixedKeyChecked = mitFixedKeyChecked;
    return v;
}

void TfrmMainTQ::ApplyViewPrefs() {
    const TViewPrefs& v = viewPrefs_;
    DrawEngine.MainLayerColor = static_cast<TColor>(v.MainLayerColor);
    DrawEngine.BkColor = static_cast<TColor>(v.BkColor);
    DrawEngine.BackLayerColor = static_cast<TColor>(v.BackLayerColor);
    DrawEngine.HidenLayerColor = static_cast<TColor>(v.HidenLayerColor);
    DrawEngine.GridColor = static_cast<TColor>(v.GridColor);
    DrawEngine.SharpColor = static_cast<TColor>(v.SharpColor);
    DrawEngine.FlatColor = static_cast<TColor>(v.FlatColor);
    DrawEngine.ShowChangedRed = v.ShowChangedRed;
    ColorBlackkeyNote = v.ColorBlackkeyNote;
    ColorCopyImage = v.ColorCopyImage;
    FooterFontSize = v.FooterFontSize;
    mitFixedKeyChecked = v.FixedKeyChecked;
}

void TfrmMainTQ::SetWorkFolders(const std::string& music, const std::string& image) {
    MusicFolder = IncludeTrailingSeparator(music);
    ImageFolder = IncludeTrailingSeparator(image);
    ForceDirectories(MusicFolder);
    ForceDirectories(ImageFolder); // where the picture dialog starts
    dlgOpen->setDirectory(Q(MusicFolder));
    dlgSave->setDirectory(Q(MusicFolder));
    dlgOpenPic->setDirectory(Q(ImageFolder));
    CurFileFolder = MusicFolder;
    if (TfrmBook* book = ExistingBookWindow())
        book->ResetDialogFolders();
}

void TfrmMainTQ::ShowHistory() {
    if (!History)
        return;
    if (!historySeparator) {
        historySeparator = mitFile->addSeparator();
        for (int i = 0; i < History->Capacity(); ++i) {
            QAction* a = mitFile->addAction(QString::number(i));
            connect(a, &QAction::triggered, this, [this, a] {
                const std::string path = HistoryCaptionPath(S(a->text()));
                if (FileExists(path))
                    OpenFromPath(path);
            });
            historyItems.push_back(a);
        }
    }
    historySeparator->setVisible(History->SeparatorVisible());
    for (int i = 0; i < static_cast<int>(historyItems.size()); ++i) {
        historyItems[static_cast<std::size_t>(i)]->setText(Q(History->Caption(i)));
        historyItems[static_cast<std::size_t>(i)]->setVisible(History->EntryVisible(i));
    }
}

void TfrmMainTQ::FormShow() {
    // Screen-font correction: the window's font is designed 10 pixels high at
    // 96 dots per inch.
    const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
    const int h = -RoundToInt(10.0 * dpi / 96.0);
    LargeFonts = std::abs(h) > 12;
    FontHeightDifference = -10 - h;
    FontScale = std::fabs(-10.0f / static_cast<float>(h));
    MainFontHeight = h;
    SetScreenTextCorrection();
    TfrmMsgYNC::LargeFonts = LargeFonts;
    Language->SetLanguage(this);
    ShowHistory();
    ShowControls();
    activateWindow();
    pbxMain->setFocus();
}

void TfrmMainTQ::FormActivate() {
    if (!FirstActivate)
        return;
    // The tool windows: dynamic marks, special symbols, play, Western notes,
    // Gongche, text symbols. None of them is built yet, so none is shown and
    // Gongche entry stays off.
    struct Tool {
        QWidget* window;
        bool visible;
        int left, top;
        bool gongche;
        const char* leftKey;
    };
    const TIniFile ini(PrefFileName());
    // The play window opens over the main window unless it was last left there.
    if (playWindow_ && !frameGeometry().contains(QPoint(PlyDlgLeft, PlyDlgTop))) {
        const QPoint over = OverMainWindow(playWindow_);
        PlyDlgLeft = over.x();
        PlyDlgTop = over.y();
    }
    // The Western-note window is made now when the last session left it shown.
    if (WestDlgVisible)
        MakeWestNotesWindow();
    const Tool tools[] = {{frmDynMark, DynDlgVisible, DynDlgLeft, DynDlgTop, false, "DynDlgLeft"},
                          {frmSpecial, SpecialDlgVisible, SpecialDlgLeft, SpecialDlgTop, false, "SpecialDlgLeft"},
                          {playWindow_, PlyDlgVisible, PlyDlgLeft, PlyDlgTop, false, "PlyDlgLeft"},
                          {frmWestNotes, WestDlgVisible, WestDlgLeft, WestDlgTop, false, "WestDlgLeft"},
                          {frmGongChi, GongChiDlgVisible, GongChiDlgLeft, GongChiDlgTop, true, "GongChiDlgLeft"},
                          {frmTextSymbols, TextSymDlgVisible, TextSymDlgLeft, TextSymDlgTop, false,
                           "TextSymDlgLeft"}};
    int shown = 0;
    for (const Tool& t : tools) {
        if (!t.window)
            continue;
        // the client area comes back where it was kept, at the size the window
        // takes when first shown
        if (!t.window->testAttribute(Qt::WA_Resized))
            t.window->adjustSize();
        const QPoint kept(t.left, t.top);
        t.window->setGeometry(QRect(kept, t.window->size()));
        // a place the user left it at counts; the built-in first places do not
        t.window->setProperty("tqPlaceKept", ini.ValueExists("Pref", t.leftKey));
        if (t.visible) {
            t.window->show();
            t.window->setGeometry(QRect(kept, t.window->size())); // over a place of its own first show
            PlaceToolWindow(t.window);
            ++shown;
        }
        if (t.gongche)
            GongChiMode = t.visible;
    }
    if (GongChiMode && shown >= 2)
        GongChiMode = false;
    FirstActivate = false;
}

void TfrmMainTQ::FormResize() {
    // the piano's height follows the window's width; the splitter may change it
    const int keyboard = std::max(110, static_cast<int>(width() * 0.071));
    const int total = splKeyboard->height();
    if (total > keyboard)
        splKeyboard->setSizes({total - keyboard, keyboard});
    if (FirstActivate && windowState() == Qt::WindowNoState && WindowWidth > 10)
        setGeometry(QRect(QPoint(WindowLeft, geometry().y()), size()));
    Controls.ClientWidth = pnlMain->width();
    Controls.ClientHeight = pnlMain->height();
    Controls.ScrollBoxHeight = scrMain->height();
    Controls.SliceButtonPanelHeight = panSliceViewButton->isVisible() ? panSliceViewButton->height() : 0;
}

void TfrmMainTQ::FormPaint() {
    if (!FirstPaint)
        return;
    SetBrushStyle(bsSolid, OutCanvas);
    // A missing music font is reported once, unless turned off for good.
    if (!NoAskMusicFont && (!Language->HasMusicalSymbols || !Language->HasToccata)) {
        bool dontAsk = false;
        Language->MessageOk(2920, "", mkWarning, &dontAsk, 2700);
        if (dontAsk)
            NoAskMusicFont = true;
    }
    if (LoadPreFile && History) {
        const std::string last = History->GetFile(0);
        if (!last.empty() && FileExists(last)) {
            ReopenPage = PrePN;
            OpenFromPath(last);
            PageCaption();
        }
    }
    FirstPaint = false;
    // the on-screen piano comes with its own commands (KeyboardVisible is kept)
}

bool TfrmMainTQ::FormCloseQuery() {
    if (Modified && Language->MessageYesNo(1023, "", mkConfirmation) != mrYes)
        return false;
    // live values into the settings part, then the exit keys
    KeyboardHeight = pnlKeyboard->height();
    KeyboardVisible = pnlKeyboard->isVisible();
    WindowStateNormal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    const QRect g = geometry();
    WindowWidth = g.width();
    WindowHeight = g.height();
    WindowLeft = g.x();
    WindowTop = g.y();
    ApplyToBothLayerChecked = mitApplyToBothLayer->isChecked();
    PopupHintChecked = mitPopupHint->isChecked();
    ShowHintinJianpuChecked = mitShowHintinJianpu->isChecked();
    MiddleLineinRedChecked = mitMiddleLineinRed->isChecked();
    KeepToolWindowPlaces();
    TPrefParts parts = PrefParts();
    WritePreferencesAtExit(parts);
    return true;
}

QRect TfrmMainTQ::WorkArea() const { return QRect(pnlMain->mapToGlobal(QPoint(0, 0)), pnlMain->size()); }

QPoint TfrmMainTQ::OverMainWindow(const QWidget* tool) const {
    // over the page area, below the menu and the tool bars
    const QRect area = WorkArea();
    const int left = area.left() + std::max(0, (area.width() - tool->width()) / 2);
    const int top = area.top() + std::clamp(area.height() / 8, 0, 60);
    return QPoint(left, top);
}

void TfrmMainTQ::PlaceToolWindow(QWidget* tool) {
    if (!tool)
        return;
    const QRect area = WorkArea();
    std::vector<QRect> taken;
    for (QWidget* other : {static_cast<QWidget*>(frmDynMark), static_cast<QWidget*>(frmSpecial),
                           static_cast<QWidget*>(playWindow_), static_cast<QWidget*>(frmGongChi),
                           static_cast<QWidget*>(frmTextSymbols), static_cast<QWidget*>(frmWestNotes)})
        if (other && other != tool && other->isVisible())
            taken.push_back(other->frameGeometry());
    constexpr int kGap = 4;
    auto clear = [&](const QRect& r) {
        if (!area.contains(r))
            return false;
        for (const QRect& t : taken)
            if (r.adjusted(-kGap, -kGap, kGap, kGap).intersects(t))
                return false;
        return true;
    };
    // the size its first show gives it, now
    if (!tool->testAttribute(Qt::WA_Resized))
        tool->adjustSize();
    // the frame, as the window manager gave it, or the client area before the first show
    const QRect now = tool->frameGeometry();
    // a window keeps its place once shown, or when the user left it there last time
    const bool placed = tool->property("tqPlaced").toBool() || tool->property("tqPlaceKept").toBool();
    tool->setProperty("tqPlaced", true);
    if (placed && clear(now))
        return;
    constexpr int kStep = 8;
    for (int x = area.right() - now.width() - kGap; x >= area.left(); x -= kStep)
        for (int y = area.top() + kGap; y + now.height() <= area.bottom(); y += kStep)
            if (clear(QRect(QPoint(x, y), now.size()))) {
                tool->move(x, y);
                return;
            }
    // no free place: inside the area at least, from its top left corner
    tool->move(std::max(area.left(), std::min(now.x(), area.right() - now.width())),
               std::max(area.top(), std::min(now.y(), area.bottom() - now.height())));
}

void TfrmMainTQ::PlaceNewBookWindow() {
    if (ExistingBookWindow())
        return;
    TfrmBook& book = BookWindow(this);
    book.move(OverMainWindow(&book));
}

void TfrmMainTQ::KeepToolWindowPlaces() {
    struct Tool {
        QWidget* window;
        bool& visible;
        int& left;
        int& top;
    };
    const Tool tools[] = {{frmDynMark, DynDlgVisible, DynDlgLeft, DynDlgTop},
                          {frmSpecial, SpecialDlgVisible, SpecialDlgLeft, SpecialDlgTop},
                          {playWindow_, PlyDlgVisible, PlyDlgLeft, PlyDlgTop},
                          {frmWestNotes, WestDlgVisible, WestDlgLeft, WestDlgTop},
                          {frmGongChi, GongChiDlgVisible, GongChiDlgLeft, GongChiDlgTop},
                          {frmTextSymbols, TextSymDlgVisible, TextSymDlgLeft, TextSymDlgTop}};
    for (const Tool& t : tools) {
        if (!t.window)
            continue;
        t.visible = t.window->isVisible();
        t.left = t.window->geometry().x();
        t.top = t.window->geometry().y();
    }
}

void TfrmMainTQ::FormClose() {
    // The MIDI form is released here once it exists.
}

void TfrmMainTQ::FormDestroy() {
    CloseSideImage();
    History.reset(); // writes the recent-file list
}

void TfrmMainTQ::mitFileClick() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    mitSave->setEnabled(btnSaveFile->isEnabled());
}

void TfrmMainTQ::mitWindowClick() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    mitMusicPlayer->setChecked(PlayWindow.Visible && PlayWindow.Visible());
    mitSpecialSymbols->setChecked(frmSpecial && frmSpecial->isVisible());
    mitDynamicMarks->setChecked(frmDynMark && frmDynMark->isVisible());
    mitGongChi->setChecked(frmGongChi && frmGongChi->isVisible());
    mitTextSymbols->setChecked(frmTextSymbols && frmTextSymbols->isVisible());
    mitWesternStyleNotes->setChecked(frmWestNotes && frmWestNotes->isVisible());
}

void TfrmMainTQ::MakeWestNotesWindow() {
    if (frmWestNotes)
        return;
    frmWestNotes = new TfrmWestNotes(this);
    WestEntryHooks().FocusMainWindow = [this] { activateWindow(); };
    frmWestNotes->OnEndTextEntry = [this] {
        if (OnEndTextEntry)
            OnEndTextEntry();
    };
}

void TfrmMainTQ::btnWestenStyleNotesClick() {
    MakeWestNotesWindow();
    if (frmWestNotes->isVisible())
        frmWestNotes->hide();
    else
        frmWestNotes->show();
}

void TfrmMainTQ::mitViewClick() {
    if (OnEndTextEntry)
        OnEndTextEntry();
    mitShowGrid->setChecked(ShowGrid);
    mitPreviousPage->setEnabled(btnPreviousPage->isEnabled());
    mitNextPage->setEnabled(btnNextPage->isEnabled());
    mitSwitchLayer->setEnabled(btnLayer->isEnabled());
    mitClearHightlights->setEnabled(!Highlights.empty());
    mitGongChiMode->setChecked(GongChiMode);
    mitSwitchLayerContent->setEnabled(HasJianpuPage());
}

void TfrmMainTQ::mitApplyToBothLayerClick() {
    // the grid editor's move buffers are emptied once the editor exists
    ApplyToBothLayerChecked = mitApplyToBothLayer->isChecked();
}

void TfrmMainTQ::mitAboutClick() {
    TfrmAboutBox box(this);
    box.exec();
}

// ---------------------------------------------------------------- controls

void TfrmMainTQ::ShowControls() {
    const TControls& c = Controls;
    const QSignalBlocker b1(cbxPageNum), b2(trkZoom);
    btnPreviousPage->setEnabled(c.btnPreviousPageEnabled);
    QStringList items;
    for (const std::string& s : c.PageComboItems)
        items << Q(s);
    bool same = cbxPageNum->count() == items.size();
    for (int i = 0; same && i < items.size(); ++i)
        same = cbxPageNum->itemText(i) == items[i];
    if (!same) {
        cbxPageNum->clear();
        cbxPageNum->addItems(items);
    }
    if (c.PageComboIndex >= 0 && c.PageComboIndex < cbxPageNum->count())
        cbxPageNum->setCurrentIndex(c.PageComboIndex);
    cbxPageNum->setEditText(Q(c.PageComboText));
    sbrPanel0->setText(Q(c.StatusPage));
    sbrPanel1->setText(Q(c.StatusFile));
    setWindowTitle(Q(c.Caption));
    btnLayer->setIcon(LayerIcon(btnLayerImageIndex));
    for (QToolButton* bar : {btnSingleBar, btnBarL, btnBarR, btnRepeatBarL, btnRepeatBarR, btnDoubleBar})
        bar->setEnabled(c.BarButtonsEnabled);
    // the slider shows the zoom however it was set (menu, keys, views)
    trkZoom->setValue(RoundToInt(Zoom * 100));
    lblZoom->setText(Q(c.lblZoomText));
    SetControlEnabled(btnSaveFile, Modified);
    if (Controls.ScrollRequested) {
        // after the paint box has its new size, so the scroll bars have their range
        Controls.ScrollRequested = false;
        QTimer::singleShot(0, this, [this] {
            if (Controls.ScrollX >= 0)
                scrMain->horizontalScrollBar()->setValue(Controls.ScrollX);
            if (Controls.ScrollY >= 0)
                scrMain->verticalScrollBar()->setValue(Controls.ScrollY);
        });
    }
    if (c.CaptionUsesChineseFont) {
        QFont f = font();
        f.setFamily(Q(ChineseFontName));
        setFont(f);
    }
}

void TfrmMainTQ::PaintMainBox() {
    if (pictureCurrent_)
        return;
    painting_ = true;
    pbxMainPaint();
    painting_ = false;
}

void TfrmMainTQ::PaintRightBox() {
    if (SliceView != 2 || !pbxRight->isVisible())
        return;
    // the next page, drawn the same way into the right paint box's picture
    const int pages = static_cast<int>(PageSets[static_cast<std::size_t>(CurLayer)].size());
    RightPagePicture.SetSize(PaintBoxWidth, PaintBoxHeight);
    if (CurPage + 1 < pages) {
        TCanvas* savedOut = OutCanvas;
        TCanvas* savedBox = PaintBoxCanvas;
        const int page = CurPage;
        OutCanvas = PaintBoxCanvas = &RightPagePicture.Canvas();
        CurPage = page + 1;
        try {
            DrawPageRange(0, 0, Cols, Rows, true);
        } catch (...) {
        }
        CurPage = page;
        OutCanvas = savedOut;
        PaintBoxCanvas = savedBox;
    } else {
        // no next page: the right page stays blank, in the page colour
        RightPagePicture.Canvas().Brush.Color = DrawEngine.BkColor;
        RightPagePicture.Canvas().Brush.Style = bsSolid;
        RightPagePicture.Canvas().FillRect(TRect{0, 0, PaintBoxWidth, PaintBoxHeight});
    }
    pbxRight->Picture = &RightPagePicture.Image();
    pbxRight->update();
}

// ---------------------------------------------------------------- files

std::string TfrmMainTQ::AskOpenFileName(const std::string& proposed) {
    if (!proposed.empty())
        dlgOpen->selectFile(Q(proposed));
    Language->LocaliseFileDialog(dlgOpen, false);
    if (dlgOpen->exec() != QDialog::Accepted || dlgOpen->selectedFiles().isEmpty())
        return "";
    return S(dlgOpen->selectedFiles().front());
}

std::string TfrmMainTQ::AskSaveFileName(const std::string& proposed) {
    if (!proposed.empty())
        dlgSave->selectFile(Q(proposed));
    Language->LocaliseFileDialog(dlgSave, true);
    for (;;) {
        if (dlgSave->exec() != QDialog::Accepted || dlgSave->selectedFiles().isEmpty())
            return "";
        if (Language->ConfirmOverwrite(dlgSave))
            return S(dlgSave->selectedFiles().front());
    }
}

void TfrmMainTQ::dragEnterEvent(QDragEnterEvent* event) {
    const QString bookEntry = QString::fromLatin1(kBookEntryMimeType);
    if (event->mimeData()->hasFormat(bookEntry)) {
        // a row of the book window: its score, when the file is there
        if (FileExists(event->mimeData()->data(bookEntry).toStdString()))
            event->acceptProposedAction();
        return;
    }
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmMainTQ::dropEvent(QDropEvent* event) {
    const QString bookEntry = QString::fromLatin1(kBookEntryMimeType);
    if (event->mimeData()->hasFormat(bookEntry)) {
        const std::string file = event->mimeData()->data(bookEntry).toStdString();
        event->acceptProposedAction();
        if (FileExists(file))
            OpenFromPath(file);
        return;
    }
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.push_back(S(url.toLocalFile()));
    event->acceptProposedAction();
    HandleDroppedFiles(files);
}

// ---------------------------------------------------------------- slice view, side image

void TfrmMainTQ::mitSliceViewClick() {
    QScreen* scr = screen();
    const QRect area = scr ? scr->geometry() : QRect(0, 0, 1920, 1080);
    const int ppi = scr ? static_cast<int>(scr->logicalDotsPerInchX()) : 96;
    const TSliceLayout layout =
        SliceViewLayout(PaperWidth, PaperHeight, area.width(), area.height(), ppi, GetCellWidth());
    SliceView = layout.Mode;
    panSliceViewButton->show();
    GoToPage(0);
    SliceSavedZoom = static_cast<float>(Zoom);
    SliceSavedWindowState = static_cast<int>(windowState());
    SliceSavedToolWindows = 0; // no tool window is built yet
    setWindowState(Qt::WindowMaximized);
    tbrLeft->hide();
    pnlBottom->hide();
    tbrlTop->hide();
    mnuMain->hide();
    SliceGap = layout.Gap;
    if (QLayout* l = this->layout())
        l->activate(); // the page area takes the room of the hidden bars now
    pbxRight->setVisible(SliceView == 2);
    scrMain->setVerticalScrollBarPolicy(SliceView == 3 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    scrMain->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrMain->setStyleSheet(QStringLiteral("QScrollArea { background: black; }"));
    LayoutSliceView();
    const int u = GetCellHeight();
    const int w = std::max(10, static_cast<int>(area.width() / 4.0 - u * 5.3));
    btnPreSlice->setGeometry(u, 2, 2 * w, 28);
    btnCloseSlice->setGeometry(3 * u + 2 * w, 2, w, 28);
    btnNextSlice->setGeometry(5 * u + 3 * w, 2, 2 * w, 28);
    PaintRightBox();
}

void TfrmMainTQ::LayoutSliceView() {
    const QSize port = scrMain->maximumViewportSize();
    const int pages = SliceView == 2 ? 2 : 1;
    // mode 3 scrolls down the page: its scroll bar takes from the width
    const int bar = SliceView == 3 ? scrMain->verticalScrollBar()->sizeHint().width() : 0;
    const int width = port.width() - (pages - 1) * SliceGap - bar;
    const double pageWidth = static_cast<double>(CellWidth) * Cols + LeftMargin + RightMargin;
    const double pageHeight = static_cast<double>(CellHeight) * VerticalRate * Rows + TopMargin + BottomMargin;
    if (width < 10 || port.height() < 10 || pageWidth <= 0 || pageHeight <= 0)
        return;
    const double zw = width / (pageWidth * pages);
    Zoom = SliceView == 3 ? zw : std::min(zw, port.height() / pageHeight);
    // cells are whole pixels: shrink until the rounded page fits too
    auto fits = [&] {
        return GetPageWidthPx() * pages <= width && (SliceView == 3 || GetPageHeightPx() <= port.height());
    };
    for (int i = 0; i < 50 && !fits(); ++i)
        Zoom *= 0.99;
    OnPageResized(GetPageWidthPx(), GetPageHeightPx());
    if (SliceView == 2) {
        pbxRight->setGeometry(pbxMain->width() + SliceGap, 0, PaintBoxWidth, PaintBoxHeight);
        scrContents->resize(pbxRight->x() + PaintBoxWidth, PaintBoxHeight);
    }
    ApplyZoom();
    // the pages are shown whole, from their top left corner, wherever the cursor is
    Controls.ScrollX = Controls.ScrollY = 0;
    RedrawPage();
    PaintRightBox();
}

void TfrmMainTQ::btnCloseSliceClick() {
    pbxRight->hide();
    SliceView = 0;
    Zoom = SliceSavedZoom;
    setWindowState(static_cast<Qt::WindowStates>(SliceSavedWindowState));
    tbrLeft->show();
    // the bottom pane holds the piano: it comes back only with the piano
    pnlBottom->setVisible(!pnlKeyboard->isHidden());
    tbrlTop->show();
    mnuMain->show();
    scrMain->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrMain->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrMain->setStyleSheet(QString());
    OnPageResized(GetPageWidthPx(), GetPageHeightPx());
    RefreshPageCombo();
    panSliceViewButton->hide();
    ApplyZoom();
    RedrawPage();
}

bool TfrmMainTQ::LoadSideImage(const std::string& fileName, bool ask) {
    std::string name = fileName;
    if (ask || name.empty()) {
        dlgOpenPic->setWindowTitle(Q(Language->GetString(1031)));
        if (!name.empty())
            dlgOpenPic->selectFile(Q(name));
        if (dlgOpenPic->exec() != QDialog::Accepted || dlgOpenPic->selectedFiles().isEmpty())
            return false;
        name = S(dlgOpenPic->selectedFiles().front());
    }
    lblSideImgFileName->setText(Q(ExtractFileName(name)));
    lblSideImgFileName->setToolTip(Q(name));
    pnlSideImg->show();
    int oldW = 0, oldH = 0;
    if (!SideImage)
        SideImage = std::make_unique<TBitmap>();
    else {
        oldW = SideImage->Width();
        oldH = SideImage->Height();
    }
    SideImage->LoadFromFile(name); // a picture that cannot be read leaves the panel as it is
    const int w = SideImage->Width(), h0 = SideImage->Height();
    if ((fileName.empty() || (w != oldW && h0 != oldH)) && h0 > 0) {
        const int h = std::min(h0, static_cast<int>(1.5 * pnlSideImg->height()));
        if (!SideImagePanelSized)
            splSideImage->setSizes({pnlMain->width() / 2, pnlMain->width() / 2});
        pbxSideImg->setFixedSize(static_cast<int>(static_cast<double>(h) * w / h0), std::max(1, h));
    }
    SidePicture = SideImage->Image().scaled(pbxSideImg->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pbxSideImg->update();
    QApplication::processEvents();
    ImgFileName = name;
    return true;
}

void TfrmMainTQ::CloseSideImage() {
    if (pnlSideImg)
        pnlSideImg->hide();
    SideImage.reset();
    SidePicture = QImage();
}

// ---------------------------------------------------------------- events

void TfrmMainTQ::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormShow();
    if (!shownOnce_) {
        shownOnce_ = true;
        if (KeyboardVisible && !pnlKeyboard->isVisible())
            btnKeyboardClick(); // the piano as the last session left it
        // the start-up work of the first paint runs once the window is up
        QTimer::singleShot(0, this, [this] {
            FormActivate();
            FormPaint();
        });
    }
}

bool TfrmMainTQ::eventFilter(QObject* watched, QEvent* event) {
    if (KeyPreview(watched, event))
        return true;
    // a key on the zoom track bar: its next change is not a zoom
    if (watched == trkZoom && event->type() == QEvent::KeyPress)
        trkZoomKeyDown();
    // the slice view keeps its pages whole as its area changes (the window maximising)
    if (watched == scrMain && event->type() == QEvent::Resize && SliceView > 0)
        LayoutSliceView();
    if (MouseEventFilter(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMainTQ::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TfrmMainTQ::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmMainTQ::closeEvent(QCloseEvent* event) {
    // While a piece plays the player stops first; the window closes when it has returned.
    if (!MainWindowMayClose(frmPlay)) {
        PlayWindowHooks().CloseMainWindow = [this] { close(); };
        event->ignore();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

// ---------------------------------------------------------------- program

namespace {

// Shows an exception that escapes a handler and lets the message loop go on.
class TQApplicationGuard {
public:
    static void Show(const char* what) {
        TMessageRequest req;
        req.kind = mkError;
        req.buttons = mbOK;
        req.caption = "Tonquill";
        req.text = what;
        MessageBoxes().Show(req);
    }
};

TMessageDialogBoxes* DialogBoxes() {
    static TMessageDialogBoxes boxes;
    return &boxes;
}

} // namespace

TfrmMainTQ* StartTonquill() {
    // The MIDI output is bound, and its device opened, before any window exists.
    ProgramMidi(TQProgramFolder());
    LoadProgramFonts(TQProgramFolder());
    Language->ProbeFonts();
    auto* main = new TfrmMainTQ;
    main->setAttribute(Qt::WA_DeleteOnClose, false);
    frmMsgYNC = new TfrmMsgYNC(main);
    frmMsgYNC->hide();
    main->show();
    return main;
}

int RunTonquill() {
    SetMessageBoxes(DialogBoxes());
    int rc = 0;
    try {
        std::unique_ptr<TfrmMainTQ> main(StartTonquill());
        rc = QApplication::exec();
        frmMsgYNC = nullptr;
    } catch (const std::exception& e) {
        TQApplicationGuard::Show(e.what());
    }
    SetMessageBoxes(nullptr);
    return rc == 0 ? 0 : rc;
}
