#include "play/frmTQPlay.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "lang/frmTQUiUtil.h"
#include "lang/modTQLanguage.h"
#include "model/modTQMainScore.h"
#include "platform/core/TQMessage.h"
#include "play/frmTQMIDIInfo.h"
#include "play/frmTQPlayList.h"
#include "play/modTQMIDIReader.h"
#include "render/modTQMainView.h"
#include "play/modTQPlayWindow.h"

namespace {

constexpr int kMsgUnsavedChanges = 1022;

QLabel* TaggedLabel(QWidget* parent, const char* name, const char* text, int tag) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    SetTag(l, tag);
    return l;
}

template <class W>
W* Named(W* w, const char* name, int tag = 0) {
    w->setObjectName(QString::fromLatin1(name));
    if (tag)
        SetTag(w, tag);
    return w;
}

QSpinBox* Spin(QWidget* parent, const char* name, int lo, int hi, int step, int value) {
    auto* s = Named(new QSpinBox(parent), name);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    s->setValue(value);
    return s;
}

} // namespace

TfrmPlay::TfrmPlay(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmPlay"));
    SetTag(this, 3200);
    setWindowTitle(QStringLiteral("Play"));
    frmPlay = this;
    CloseOnEscape(this); // refused while a piece plays, as any close

    pagPlay = Named(new QTabWidget(this), "pagPlay");
    pagPlay->setTabPosition(QTabWidget::South);
    shtMain = Named(new QWidget, "shtMain", 3201);
    shtAdj = Named(new QWidget, "shtAdj", 3202);
    pagPlay->addTab(shtMain, QStringLiteral("Basic"));
    pagPlay->addTab(shtAdj, QStringLiteral("Advanced"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(pagPlay);

    // --- Basic ---
    auto* g = new QGridLayout(shtMain);
    btnPlay = Named(new QPushButton(QStringLiteral("Play"), shtMain), "btnPlay", 3208);
    btnPlayList = Named(new QPushButton(QStringLiteral("List"), shtMain), "btnPlayList", 3212);
    btnStop = Named(new QPushButton(QStringLiteral("Stop"), shtMain), "btnStop", 3210);
    btnNext = Named(new QPushButton(QStringLiteral("Next"), shtMain), "btnNext", 3261);
    btnStop->setEnabled(false);
    btnNext->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnPlay, btnPlayList, btnStop, btnNext})
        buttons->addWidget(b);
    g->addLayout(buttons, 0, 0, 1, 3);
    rbtJianpu = Named(new QRadioButton(QStringLiteral("Jianpu"), shtMain), "rbtJianpu", 3231);
    rbtWest = Named(new QRadioButton(QStringLiteral("Western"), shtMain), "rbtWest", 3230);
    auto* notation = new QHBoxLayout;
    notation->addWidget(rbtJianpu);
    notation->addWidget(rbtWest);
    g->addLayout(notation, 1, 0, 1, 3);
    g->addWidget(TaggedLabel(shtMain, "lblPlayRule", "Play:", 3234), 2, 0);
    cbxPlayRule = Named(new QComboBox(shtMain), "cbxPlayRule", 3235);
    // The rules' names: current, group, all and highlighted staffs, then selected notes.
    cbxPlayRule->setProperty("ItemTags", QVariantList{3235, 3236, 3237, 3238, 3232});
    cbxPlayRule->addItems({QStringLiteral("Current Staff"), QStringLiteral("Group Staff"), QStringLiteral("All Staffs"),
                           QStringLiteral("Highlighted Staffs"), QStringLiteral("Selected Notes")});
    g->addWidget(cbxPlayRule, 2, 1, 1, 2);
    g->addWidget(TaggedLabel(shtMain, "lblSoundEffect", "Instrument:", 3499), 3, 0);
    cbxSoundEffect = Named(new QComboBox(shtMain), "cbxSoundEffect", 3501);
    for (int i = 0; i < kSoundEffects; ++i)
        cbxSoundEffect->addItem(i < 128 ? QStringLiteral("Program %1").arg(i + 1)
                                        : i == kSoundMute ? QStringLiteral("Mute") : QStringLiteral("Ignore Sound Effects"));
    g->addWidget(cbxSoundEffect, 3, 1);
    btnSetSoundEffect = Named(new QToolButton(shtMain), "btnSetSoundEffect", 3303);
    btnSetSoundEffect->setText(QStringLiteral("..."));
    btnSetSoundEffect->setToolTip(QStringLiteral("Set the instrument at the cursor"));
    g->addWidget(btnSetSoundEffect, 3, 2);
    g->addWidget(TaggedLabel(shtMain, "lblSpeedAdj", "Speed Adj", 3204), 4, 0);
    spnSpeedAdj = Spin(shtMain, "spnSpeedAdj", 10, 500, 5, 100);
    spnSpeedAdj->setSuffix(QStringLiteral("%"));
    g->addWidget(spnSpeedAdj, 4, 1);
    chkIgnoreSpeed = Named(new QCheckBox(QStringLiteral("Ignore Tempo Signs"), shtMain), "chkIgnoreSpeed", 3206);
    chkEchoOn = Named(new QCheckBox(QStringLiteral("Echo On"), shtMain), "chkEchoOn", 3214);
    chkEchoOn->setVisible(false);
    chkIgnorePad = Named(new QCheckBox(QStringLiteral("Ignore Pad Signs"), shtMain), "chkIgnorePad", 3220);
    chkIgnorePad->setChecked(true);
    chkIgnoreDyn = Named(new QCheckBox(QStringLiteral("Ignore Dynamic Signs"), shtMain), "chkIgnoreDyn", 3207);
    chkShowPlay = Named(new QCheckBox(QStringLiteral("Show Play Position"), shtMain), "chkShowPlay", 3215);
    chkShowPlay->setChecked(true);
    int row = 5;
    for (QCheckBox* c : {chkIgnoreSpeed, chkIgnorePad, chkIgnoreDyn, chkShowPlay})
        g->addWidget(c, row++, 0, 1, 3);
    g->addWidget(chkEchoOn, row, 0, 1, 3);

    // --- Advanced ---
    auto* a = new QGridLayout(shtAdj);
    auto applyButton = [this](const char* name) {
        return Named(new QPushButton(QStringLiteral("Apply"), shtAdj), name, 3219);
    };
    a->addWidget(TaggedLabel(shtAdj, "lblRitArpAdj", "Rit/Arp Rate Adjust", 3217), 0, 0);
    spnRitArpAdj = Spin(shtAdj, "spnRitArpAdj", 20, 250, 10, 100);
    btnApplyRitArpAdj = applyButton("btnApplyRitArpAdj");
    a->addWidget(spnRitArpAdj, 0, 1);
    a->addWidget(btnApplyRitArpAdj, 0, 2);
    a->addWidget(TaggedLabel(shtAdj, "lblCredAdj", "Crescendo Rate Adjust", 3218), 1, 0);
    spnCredAdj = Spin(shtAdj, "spnCredAdj", 50, 250, 5, 100);
    btnApplyCredAdj = applyButton("btnApplyCredAdj");
    a->addWidget(spnCredAdj, 1, 1);
    a->addWidget(btnApplyCredAdj, 1, 2);
    a->addWidget(TaggedLabel(shtAdj, "lblNotesVolAdj", "Track Volume Adjust", 3216), 2, 0);
    spnNotesVolAdj = Spin(shtAdj, "spnNotesVolAdj", 0, 150, 5, 100);
    btnApplyVolAdj = applyButton("btnApplyVolAdj");
    a->addWidget(spnNotesVolAdj, 2, 1);
    a->addWidget(btnApplyVolAdj, 2, 2);
    a->addWidget(TaggedLabel(shtAdj, "lblPlayDur", "Change Play Duration", 3240), 3, 0);
    cbxPlayDur = Named(new QComboBox(shtAdj), "cbxPlayDur", 3241);
    cbxPlayDur->addItems({QStringLiteral("No"), QStringLiteral("Full"), QStringLiteral("1/2"), QStringLiteral("1/4"),
                          QStringLiteral("1/8"), QStringLiteral("1/16"), QStringLiteral("1/32"), QStringLiteral("1/64"),
                          QStringLiteral("1/128"), QStringLiteral("0")});
    a->addWidget(cbxPlayDur, 3, 1);
    auto* dotRow = new QHBoxLayout;
    dotRow->addWidget(TaggedLabel(shtAdj, "lblPlayDot", "Dot", 3304));
    spnPlayDot = Spin(shtAdj, "spnPlayDot", 0, 2, 1, 0);
    dotRow->addWidget(spnPlayDot);
    a->addLayout(dotRow, 4, 1);
    btnPlayDur = applyButton("btnPlayDur");
    a->addWidget(btnPlayDur, 4, 2);
    cbxShowRed = Named(new QCheckBox(QStringLiteral("Show Change in Red"), shtAdj), "cbxShowRed", 3260);
    a->addWidget(cbxShowRed, 5, 0, 1, 3);

    // --- handlers ---
    connect(btnPlay, &QPushButton::clicked, this, [this] { btnPlayClick(); });
    connect(btnPlayList, &QPushButton::clicked, this, [this] { btnPlayListClick(); });
    connect(btnStop, &QPushButton::clicked, this, [this] { btnStopClick(); });
    connect(btnNext, &QPushButton::clicked, this, [this] { btnNextClick(); });
    connect(cbxSoundEffect, &QComboBox::currentIndexChanged, this, [this] { cbxSoundEffectChange(); });
    connect(spnSpeedAdj, &QSpinBox::valueChanged, this, [this] { spnSpeedAdjChange(); });
    connect(spnRitArpAdj, &QSpinBox::valueChanged, this, [this] { spnSpeedAdjChange(); });
    connect(pagPlay, &QTabWidget::currentChanged, this, [this](int i) { pagPlayChange(i); });
    connect(btnApplyVolAdj, &QPushButton::clicked, this, [this] { btnApplyVolAdjClick(); });
    connect(btnApplyRitArpAdj, &QPushButton::clicked, this, [this] { btnApplyRitArpAdjClick(); });
    connect(btnApplyCredAdj, &QPushButton::clicked, this, [this] { btnApplyCredAdjClick(); });
    connect(btnPlayDur, &QPushButton::clicked, this, [this] { btnPlayDurClick(); });
    connect(btnSetSoundEffect, &QToolButton::clicked, this, [this] { btnSetSoundEffectClick(); });
    connect(cbxShowRed, &QCheckBox::toggled, this, [this](bool on) {
        if (!loading_ && SetShowChangedRed)
            SetShowChangedRed(on);
    });
    // Each control keeps its own member of the play state; the state can also be
    // set from outside (the MIDI import) and shown again by SyncControls.
    auto bindCheck = [this](QCheckBox* c, bool TPlayState::*member) {
        connect(c, &QCheckBox::toggled, this, [this, member](bool on) { this->*member = on; });
    };
    bindCheck(chkIgnoreSpeed, &TPlayState::IgnoreSpeed);
    bindCheck(chkEchoOn, &TPlayState::EchoOn);
    bindCheck(chkIgnorePad, &TPlayState::IgnorePad);
    bindCheck(chkIgnoreDyn, &TPlayState::IgnoreDyn);
    bindCheck(chkShowPlay, &TPlayState::ShowPlay);
    connect(rbtWest, &QRadioButton::toggled, this, [this](bool on) { PlayWest = on; });
    connect(cbxPlayRule, &QComboBox::currentIndexChanged, this, [this](int i) { PlayRule = i; });
    connect(spnNotesVolAdj, &QSpinBox::valueChanged, this, [this](int v) { NotesVolAdj = v; });
    connect(spnCredAdj, &QSpinBox::valueChanged, this, [this](int v) { CredAdj = v; });
    connect(cbxPlayDur, &QComboBox::currentIndexChanged, this, [this](int i) { PlayDurIndex = i; });
    connect(spnPlayDot, &QSpinBox::valueChanged, this, [this](int v) { PlayDot = v; });

    // FormCreate
    Playing = 0;
    PlayList.clear();
    KeyRecs.clear();
    cbxPlayRule->setCurrentIndex(prAllStaffs);
    rbtJianpu->setChecked(true);
    cbxSoundEffect->setCurrentIndex(0);
    cbxSoundEffectChange();
    ReadControls();
}

TfrmPlay::~TfrmPlay() = default;

void TfrmPlay::ConnectMainView(TMainView* view) {
    PlayWindowHooks().OpenScore = [view](const std::string& name) { return view->OpenScoreFile(name, false); };
    PlayWindowHooks().Refresh = [view] { view->RedrawPage(); };
    ScoreFileName = [view] { return view->FileName; };
    InstallMIDIHeaderDialog(parentWidget());
    MIDIImportHooks().Finished = [this](const std::string&) { SyncControls(); };
}

void TfrmPlay::ReadControls() {
    PlayWest = rbtWest->isChecked();
    PlayRule = cbxPlayRule->currentIndex();
    SoundEffect = cbxSoundEffect->currentIndex();
    SpeedAdj = spnSpeedAdj->value();
    IgnoreSpeed = chkIgnoreSpeed->isChecked();
    EchoOn = chkEchoOn->isChecked();
    IgnorePad = chkIgnorePad->isChecked();
    IgnoreDyn = chkIgnoreDyn->isChecked();
    ShowPlay = chkShowPlay->isChecked();
    RitArpAdj = spnRitArpAdj->value();
    CredAdj = spnCredAdj->value();
    NotesVolAdj = spnNotesVolAdj->value();
    PlayDurIndex = cbxPlayDur->currentIndex();
    PlayDot = spnPlayDot->value();
    ShowRed = cbxShowRed->isChecked();
}

void TfrmPlay::FormShow() {
    const int sound = cbxSoundEffect->currentIndex();
    if (Language)
        Language->SetLanguage(this);
    if (OnVisibleChanged)
        OnVisibleChanged(true);
    SetDefaultPlayOptions();
    pagPlay->setCurrentIndex(0);
    cbxSoundEffect->setCurrentIndex(sound);
    loading_ = true;
    cbxShowRed->setChecked(GetShowChangedRed && GetShowChangedRed());
    loading_ = false;
    ReadControls();
}

void TfrmPlay::showEvent(QShowEvent* event) {
    FormShow();
    QWidget::showEvent(event);
}

void TfrmPlay::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (OnVisibleChanged)
        OnVisibleChanged(false);
    event->accept();
}

bool TfrmPlay::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && OnActivated)
        OnActivated();
    return QWidget::event(event);
}

void TfrmPlay::SetDefaultPlayOptions() {
    ::SetDefaultPlayOptions(*this);
    (PlayWest ? rbtWest : rbtJianpu)->setChecked(true);
    cbxPlayRule->setCurrentIndex(prAllStaffs);
}

void TfrmPlay::SyncControls() {
    (PlayWest ? rbtWest : rbtJianpu)->setChecked(true);
    cbxPlayRule->setCurrentIndex(PlayRule);
    cbxSoundEffect->setCurrentIndex(SoundEffect);
    spnSpeedAdj->setValue(SpeedAdj);
    chkIgnoreSpeed->setChecked(IgnoreSpeed);
    chkEchoOn->setChecked(EchoOn);
    chkIgnorePad->setChecked(IgnorePad);
    chkIgnoreDyn->setChecked(IgnoreDyn);
    chkShowPlay->setChecked(ShowPlay);
}

void TfrmPlay::spnSpeedAdjChange() {
    SpeedAdj = spnSpeedAdj->value();
    RitArpAdj = spnRitArpAdj->value();
    TPlayState::SpeedAdjChange();
}

void TfrmPlay::cbxSoundEffectChange() {
    SoundEffect = cbxSoundEffect->currentIndex();
    TPlayState::SoundEffectChange();
    chkIgnorePad->setChecked(IgnorePad);
}

void TfrmPlay::pagPlayChange(int index) {
    if (index == 1 && frmMainTQ)
        LoadCellAdj(frmMainTQ->SelCol0, frmMainTQ->SelRow0);
}

void TfrmPlay::LoadCellAdj(int col, int row) {
    const TCellAdjEnabled on = ::LoadCellAdj(*this, col, row);
    spnRitArpAdj->setValue(RitArpAdj);
    spnCredAdj->setValue(CredAdj);
    spnNotesVolAdj->setValue(NotesVolAdj);
    cbxPlayDur->setCurrentIndex(PlayDurIndex);
    spnPlayDot->setValue(PlayDot);
    spnRitArpAdj->setEnabled(on.RitArp);
    btnApplyRitArpAdj->setEnabled(on.RitArp);
    spnCredAdj->setEnabled(on.Cred);
    btnApplyCredAdj->setEnabled(on.Cred);
    for (QWidget* w : std::initializer_list<QWidget*>{spnNotesVolAdj, btnApplyVolAdj, cbxPlayDur, spnPlayDot, btnPlayDur})
        w->setEnabled(on.Notes);
}

void TfrmPlay::SetPlayingControls(bool playing) {
    for (QWidget* w : std::initializer_list<QWidget*>{btnPlay, chkIgnoreSpeed, cbxPlayRule, cbxSoundEffect,
                                                      chkIgnorePad, chkEchoOn, btnPlayList})
        w->setEnabled(!playing);
    btnStop->setEnabled(playing);
}

void TfrmPlay::btnPlayClick() {
    if (Playing)
        return;
    SetPlayingControls(true);
    PlayScore(*this);
    SetPlayingControls(false);
}

void TfrmPlay::btnPlayListClick() {
    if (Playing)
        return;
    if (frmMainTQ && frmMainTQ->Modified &&
        MessageYesNoById(kMsgUnsavedChanges, "", mkConfirmation) != mrYes)
        return;
    TfrmPlayList dialog(this);
    dialog.move(geometry().right() - dialog.width(), geometry().top());
    dialog.FormShow(ScoreFileName ? ScoreFileName() : std::string());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (frmMainTQ)
        frmMainTQ->SetModified(false);
    if (PlayWindowHooks().EnableMainControls)
        PlayWindowHooks().EnableMainControls(false);
    StopRequest = 0;
    btnPlayList->setEnabled(false);
    btnNext->setEnabled(true);
    SetPlayingControls(true);
    PlayFolder(*this, dialog.Folder(), dialog.CheckedFiles(), dialog.CycleTimes());
    SetPlayingControls(false);
    btnPlayList->setEnabled(true);
    btnNext->setEnabled(false);
    if (PlayWindowHooks().EnableMainControls)
        PlayWindowHooks().EnableMainControls(true);
}

void TfrmPlay::btnStopClick() { StopClick(); }

void TfrmPlay::btnNextClick() { NextClick(); }

void TfrmPlay::btnApplyVolAdjClick() { ApplyAdvVolume(spnNotesVolAdj->value()); }

void TfrmPlay::btnApplyRitArpAdjClick() { ApplyRitArpAdj(spnRitArpAdj->value()); }

void TfrmPlay::btnApplyCredAdjClick() { ApplyCredAdj(spnCredAdj->value()); }

void TfrmPlay::btnPlayDurClick() { ApplyPlayDuration(cbxPlayDur->currentIndex(), spnPlayDot->value()); }

void TfrmPlay::btnSetSoundEffectClick() { PutSoundEffectCell(cbxSoundEffect->currentIndex()); }
