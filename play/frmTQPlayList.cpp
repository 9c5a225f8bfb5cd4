#include "play/frmTQPlayList.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

#include "lang/modTQLanguage.h"
#include "play/modTQPlayWindow.h"

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& q) { return q.toUtf8().toStdString(); }
} // namespace

TfrmPlayList::TfrmPlayList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPlayList"));
    SetTag(this, 3300);
    setWindowTitle(QStringLiteral("Play List"));
    resize(520, 360);

    auto* left = new QWidget(this);
    auto* lv = new QVBoxLayout(left);
    auto* folderRow = new QHBoxLayout;
    lstFold = new QLineEdit(left);
    lstFold->setObjectName(QStringLiteral("lstFold"));
    btnBrowse = new QToolButton(left);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    btnBrowse->setText(QStringLiteral("..."));
    folderRow->addWidget(lstFold);
    folderRow->addWidget(btnBrowse);
    lv->addLayout(folderRow);
    auto* cycleRow = new QHBoxLayout;
    auto* lblCycle = new QLabel(QStringLiteral("Cycle Times:"), left);
    lblCycle->setObjectName(QStringLiteral("lblCycleTimes"));
    SetTag(lblCycle, 3302);
    spnCycleTimes = new QSpinBox(left);
    spnCycleTimes->setObjectName(QStringLiteral("spnCycleTimes"));
    spnCycleTimes->setRange(1, 100);
    spnCycleTimes->setValue(1);
    cycleRow->addWidget(lblCycle);
    cycleRow->addWidget(spnCycleTimes);
    lv->addLayout(cycleRow);
    lv->addStretch();
    btnOk = new QPushButton(QStringLiteral("Play"), left);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    SetTag(btnOk, 3208);
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), left);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    SetTag(btnCancel, 1010);
    lv->addWidget(btnOk);
    lv->addWidget(btnCancel);

    auto* right = new QWidget(this);
    auto* rv = new QVBoxLayout(right);
    auto* selRow = new QHBoxLayout;
    btnSelAll = new QPushButton(QStringLiteral("Select All"), right);
    btnSelAll->setObjectName(QStringLiteral("btnSelAll"));
    SetTag(btnSelAll, 203);
    btnUnselAll = new QPushButton(QStringLiteral("Select None"), right);
    btnUnselAll->setObjectName(QStringLiteral("btnUnselAll"));
    SetTag(btnUnselAll, 3301);
    selRow->addWidget(btnSelAll);
    selRow->addWidget(btnUnselAll);
    rv->addLayout(selRow);
    lstPlayFiles = new QListWidget(right);
    lstPlayFiles->setObjectName(QStringLiteral("lstPlayFiles"));
    rv->addWidget(lstPlayFiles);

    auto* split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(right);
    auto* v = new QVBoxLayout(this);
    v->addWidget(split);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSelAll, &QPushButton::clicked, this, [this] { btnSelAllClick(); });
    connect(btnUnselAll, &QPushButton::clicked, this, [this] { btnUnselAllClick(); });
    connect(lstFold, &QLineEdit::editingFinished, this, [this] { FillFileList(); });
    connect(btnBrowse, &QToolButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QString(), lstFold->text());
        if (!dir.isEmpty()) {
            lstFold->setText(dir);
            FillFileList();
        }
    });
}

void TfrmPlayList::FormShow(const std::string& scoreFileName) {
    if (Language)
        Language->SetLanguage(this);
    const std::filesystem::path p(scoreFileName);
    if (p.has_parent_path() && std::filesystem::is_directory(p.parent_path()))
        lstFold->setText(Q(p.parent_path().string()));
    FillFileList();
}

void TfrmPlayList::FillFileList() {
    lstPlayFiles->clear();
    for (const std::string& name : ListScoreFiles(S(lstFold->text()))) {
        auto* item = new QListWidgetItem(Q(name), lstPlayFiles);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    btnSelAllClick();
}

void TfrmPlayList::btnSelAllClick() {
    for (int i = 0; i < lstPlayFiles->count(); ++i)
        lstPlayFiles->item(i)->setCheckState(Qt::Checked);
}

void TfrmPlayList::btnUnselAllClick() {
    for (int i = 0; i < lstPlayFiles->count(); ++i)
        lstPlayFiles->item(i)->setCheckState(Qt::Unchecked);
}

std::vector<std::string> TfrmPlayList::CheckedFiles() const {
    std::vector<std::string> out;
    for (int i = 0; i < lstPlayFiles->count(); ++i)
        if (lstPlayFiles->item(i)->checkState() == Qt::Checked)
            out.push_back(S(lstPlayFiles->item(i)->text()));
    return out;
}

std::string TfrmPlayList::Folder() const { return S(lstFold->text()); }

int TfrmPlayList::CycleTimes() const { return spnCycleTimes->value(); }
