#include "output/frmTQBrowser.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "lang/modTQMainSettings.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "render/modTQMainView.h"

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string Text(int id) { return Language ? Language->GetString(id) : std::string(); }

} // namespace

TfrmBrowser::TfrmBrowser(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBrowser"));
    SetTag(this, 260);
    setWindowTitle(QStringLiteral("Score Browser"));
    resize(620, 420);
    edtBrowserDir = new QLineEdit(this);
    edtBrowserDir->setObjectName(QStringLiteral("edtBrowserDir"));
    btnEdit = new QPushButton(QStringLiteral("New Dir ..."), this);
    btnEdit->setObjectName(QStringLiteral("btnEdit"));
    SetTag(btnEdit, sidChooseFolder);
    grdBookMain = new QTableWidget(1, 3, this);
    grdBookMain->setObjectName(QStringLiteral("grdBookMain"));
    grdBookMain->verticalHeader()->setVisible(false);
    grdBookMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdBookMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdBookMain->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont f = grdBookMain->font();
    f.setFamily(QStringLiteral("SimSun"));
    grdBookMain->setFont(f);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    SetTag(BitBtn1, 1009);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    SetTag(BitBtn2, 1010);

    auto* top = new QHBoxLayout;
    top->addWidget(edtBrowserDir, 1);
    top->addWidget(btnEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(grdBookMain, 1);
    all->addLayout(buttons);

    grdBookMain->setHorizontalHeaderLabels({Q(Text(1503)), Q(Text(1013)), Q(Text(1222))});
    connect(btnEdit, &QPushButton::clicked, this, [this] { btnEditClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { OpenCurrent(); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(grdBookMain, &QTableWidget::cellDoubleClicked, this, [this] { OpenCurrent(); });
    OnSelectDirectory = [this](const std::string& start) {
        return QFileDialog::getExistingDirectory(this, QString(), Q(start)).toStdString();
    };
}

void TfrmBrowser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (Language)
        Language->SetLanguage(this);
    FillList();
    FormResize();
}

void TfrmBrowser::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmBrowser::FormResize() {
    const int h = width() / 2;
    const int visible = grdBookMain->viewport()->height() / std::max(1, grdBookMain->verticalHeader()->defaultSectionSize());
    const int s = visible < grdBookMain->rowCount() ? 22 : 0;
    grdBookMain->setColumnWidth(0, h);
    grdBookMain->setColumnWidth(1, std::max(20, h - 56 - s));
    grdBookMain->setColumnWidth(2, 40);
}

void TfrmBrowser::FillList() {
    namespace fs = std::filesystem;
    grdBookMain->setRowCount(1);
    for (int c = 0; c < 3; ++c)
        grdBookMain->setItem(0, c, new QTableWidgetItem(QString()));
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(edtBrowserDir->text().toStdString(), ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const std::string name = it->path().filename().string();
        if (SameText(ExtractFileExt(name), ".mus"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    TMainView holder;
    const std::string folder = IncludeTrailingSeparator(edtBrowserDir->text().toStdString());
    int n = 0;
    for (const std::string& name : names) {
        ++n;
        if (grdBookMain->rowCount() < n)
            grdBookMain->setRowCount(n);
        grdBookMain->setItem(n - 1, 1, new QTableWidgetItem(Q(name)));
        grdBookMain->setItem(n - 1, 0, new QTableWidgetItem(QString()));
        grdBookMain->setItem(n - 1, 2, new QTableWidgetItem(QString()));
        if (holder.OpenScore(folder + name, &holder, true)) {
            TMusic entry;
            entry.FileName = folder + name;
            GetMusicTitle(holder, entry);
            grdBookMain->item(n - 1, 0)->setText(
                Q(DecodeForDisplay(entry.Title, entry.TitleCharset).value_or(entry.Title)));
            grdBookMain->item(n - 1, 2)->setText(QString::number(holder.PageCount));
        }
    }
}

void TfrmBrowser::btnEditClick() {
    const std::string chosen = OnSelectDirectory ? OnSelectDirectory(edtBrowserDir->text().toStdString()) : "";
    if (chosen.empty())
        return;
    edtBrowserDir->setText(Q(chosen));
    FillList();
}

void TfrmBrowser::OpenCurrent() {
    const int row = std::max(0, grdBookMain->currentRow());
    const QTableWidgetItem* item = grdBookMain->item(row, 1);
    if (!item || item->text().isEmpty())
        return;
    const std::string path = IncludeTrailingSeparator(edtBrowserDir->text().toStdString()) + item->text().toStdString();
    if (!FileExists(path))
        return;
    if (TMainView* mv = MainView())
        mv->OpenFromPath(path);
    accept();
}

void mitBrowserClick(QWidget* parent, const std::function<int(TfrmBrowser&)>& exec) {
    TMainSettings* settings = MainSettings();
    TfrmBrowser browser(parent);
    browser.edtBrowserDir->setText(Q(settings ? settings->CurFileFolder : std::string()));
    if (exec)
        exec(browser);
    else
        browser.exec();
    if (settings)
        settings->CurFileFolder = browser.edtBrowserDir->text().toStdString();
}
