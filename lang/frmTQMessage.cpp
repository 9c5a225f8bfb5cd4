#include "lang/frmTQMessage.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>

#include "lang/modTQLanguage.h"
#include "lang/modTQMessage.h"
#include "platform/gui/TQGlyphMap.h"

namespace {
// Form font: Arial, 12 pixels (9 points at 96 pixels per inch).
constexpr int kFontPixels = 12;
constexpr int kFontPoints = kFontPixels * 72 / 96;

constexpr int kLabelLeft = 59;
constexpr int kLabelTop = 5;
constexpr int kLabelWidth = 351;
constexpr int kBottomHeight = 43;
constexpr int kButtonPanelWidth = 290;
constexpr int kButtonPanelHeight = 33;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kCheckLeft = 61;
constexpr int kCheckWidth = 281;
constexpr int kCheckHeight = 17;

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

bool TfrmMsgYNC::LargeFonts = false;

TfrmMsgYNC::TfrmMsgYNC(QWidget* parent) : QDialog(parent) {
    setObjectName("frmMsgYNC");
    SetTag(this, 1);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont f(QString::fromStdString(SubstituteFontFamily("Arial")));
    f.setPixelSize(kFontPixels);
    setFont(f);

    lblMsg = new QLabel(this);
    lblMsg->setObjectName("lblMsg");
    SetTag(lblMsg, 1);
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMsg->setTextFormat(Qt::PlainText);
    lblMsg->setGeometry(kLabelLeft, kLabelTop, kLabelWidth, 13);

    nbkImage = new QStackedWidget(this);
    nbkImage->setObjectName("nbkImage");
    nbkImage->setGeometry(13, 13, 36, 37);
    const QStyle::StandardPixmap icons[4] = {QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxQuestion,
                                             QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxCritical};
    for (QStyle::StandardPixmap sp : icons) {
        auto* page = new QLabel(nbkImage);
        page->setAlignment(Qt::AlignCenter);
        page->setPixmap(style()->standardIcon(sp).pixmap(32, 32));
        nbkImage->addWidget(page);
    }

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName("pnlBottom");
    pnlButton = new QWidget(pnlBottom);
    pnlButton->setObjectName("pnlButton");
    pnlButton->setGeometry(0, (kBottomHeight - kButtonPanelHeight) / 2, kButtonPanelWidth, kButtonPanelHeight);

    auto makeButton = [&](const char* name, const QString& text, int left, int tag, int result) {
        auto* b = new QPushButton(text, pnlButton);
        b->setObjectName(name);
        SetTag(b, tag);
        b->setGeometry(left, 4, kButtonWidth, kButtonHeight);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    btnYes = makeButton("btnYes", tr("&Yes"), 0, 1009, mrYes);
    btnNo = makeButton("btnNo", tr("&No"), 99, 1019, mrNo);
    btnCancel = makeButton("btnCancel", tr("&Cancel"), 198, 1010, mrCancel);
    btnYes->setDefault(true);

    chkDoNotAskAgain = new QCheckBox(this);
    chkDoNotAskAgain->setObjectName("chkDoNotAskAgain");
    SetTag(chkDoNotAskAgain, 1);
    chkDoNotAskAgain->setText(tr("Do not show this again"));
    chkDoNotAskAgain->setVisible(false);
}

void TfrmMsgYNC::SetKind(TMsgKind kind) {
    setWindowTitle(Q(Language->GetString(KindCaptionId(kind))));
    nbkImage->setCurrentIndex(KindIconPage(kind));
}

void TfrmMsgYNC::Prepare(const TMessageRequest& request) {
    SetKind(request.kind);
    if (!request.caption.empty())
        setWindowTitle(Q(request.caption));
    lblMsg->setText(Q(request.text));

    checkBoxWanted_ = !request.dontShowText.empty();
    chkDoNotAskAgain->setVisible(checkBoxWanted_);
    if (checkBoxWanted_)
        chkDoNotAskAgain->setText(Q(request.dontShowText));

    // A question's first button says Yes; a one-button box's says OK.
    SetTag(btnYes, request.buttons == mbOK ? 1009 : 1021);
    switch (request.buttons) {
    case mbYesNoCancel:
        btnNo->hide();
        btnYes->move(40, btnYes->y());
        btnCancel->move(158, btnCancel->y());
        break;
    case mbYesNo:
        btnCancel->hide();
        btnYes->move(40, btnYes->y());
        btnNo->move(158, btnNo->y());
        break;
    case mbOK:
        btnNo->hide();
        btnCancel->hide();
        pnlButton->resize(btnYes->width() + 1, pnlButton->height());
        break;
    }
}

void TfrmMsgYNC::Arrange() {
    Language->SetLanguage(this);

    // The label keeps its width and grows to hold the wrapped text.
    const QRect text = lblMsg->fontMetrics().boundingRect(QRect(0, 0, kLabelWidth, 100000),
                                                          Qt::TextWordWrap | Qt::AlignLeft, lblMsg->text());
    const int labelHeight = std::max(text.height(), lblMsg->fontMetrics().height());
    lblMsg->setGeometry(kLabelLeft, kLabelTop, kLabelWidth, labelHeight);
    if (labelHeight < 20)
        lblMsg->move(kLabelLeft, 16);

    int width = lblMsg->x() + lblMsg->width() + 14;
    if (pnlButton->width() + 2 > width)
        width = pnlButton->width() + 2;
    else
        width += 8;
    int height = 3 * kFontPoints + labelHeight + pnlButton->height();
    if (checkBoxWanted_) {
        height += LargeFonts ? 40 : 25;
        width = std::max(width, 350);
    }
    height = std::max(height, 100);

    setFixedSize(width, height);
    pnlBottom->setGeometry(0, height - kBottomHeight, width, kBottomHeight);
    pnlButton->move((width - pnlButton->width()) / 2, pnlButton->y());
    // Anchored to the left and bottom edges, just above the button panel.
    chkDoNotAskAgain->setGeometry(kCheckLeft, height - kBottomHeight - kCheckHeight - 3, kCheckWidth,
                                  kCheckHeight);
    btnYes->setFocus();
}

void TfrmMsgYNC::showEvent(QShowEvent* event) {
    Arrange();
    QDialog::showEvent(event);
}

void TfrmMsgYNC::keyPressEvent(QKeyEvent* event) {
    // Escape presses the visible cancel button: No in a Yes/No box.
    if (event->key() == Qt::Key_Escape && btnNo->isVisibleTo(this) && !btnCancel->isVisibleTo(this)) {
        done(mrNo);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmMsgYNC::reject() { done(mrCancel); }

TMessageResult TMessageDialogBoxes::Show(const TMessageRequest& request) {
    TfrmMsgYNC form(QApplication::activeWindow());
    form.Prepare(request);
    TMessageResult r;
    r.modalResult = form.exec();
    if (r.modalResult == 0)
        r.modalResult = mrCancel;
    r.dontShow = form.chkDoNotAskAgain->isVisibleTo(&form) && form.chkDoNotAskAgain->isChecked();
    return r;
}
