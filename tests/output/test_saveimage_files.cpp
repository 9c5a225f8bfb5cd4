// Save as Image and the print command's PDF file, read back by independent
// readers: the format the name says, the width chosen, a PDF that is the page
// itself (text as text), and a failed write that keeps the old file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "lang/modTQPref.h"
#include "output/frmTQPrint.h"
#include "output/frmTQSaveImage.h"
#include "output/modTQImageExport.h"
#include "output/modTQPrint.h"
#include "platform/core/TQIniFile.h"
#include "platform/core/TQMessage.h"
#include "tests/render/TQViewFixture.h"
#include "tests/support/TQTestSupport.h"

namespace fs = std::filesystem;

namespace {

const char* const kTitle = "Gongche test song of the long river in spring";

struct SavedFiles : ::testing::Test {
    TViewFixture fx{16, 6};
    tqtest::TempDir dir;
    std::vector<int> messages;
    int answer = mrYes;
    void SetUp() override {
        fs::remove(PrefFileName());
        // A page as a musician writes it: the title, the tempo words, a
        // Jianpu line and its lyrics.
        fx.Row(0, "~ ~ ~ \"T\"");
        fx.At(3, 0).Text = kTitle;
        fx.Row(1, "\"Moderato\"");
        fx.Row(2, "1 2 3 5 | 6 5 3 - |]");
        fx.Row(3, "\"la\" \"li\" \"lo\" \"lu\"");
        fx.view.FileName = (dir / "folder" / "song.mus").string();
        SetMessageByIdHandler([this](TMsgButtons, int id, const std::string&, TMsgKind) {
            messages.push_back(id);
            return answer;
        });
    }
    void TearDown() override { SetMessageByIdHandler(nullptr); }
    std::string P(const std::string& name) const { return (dir / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static bool Poppler() { return std::system("pdftotext -v >/dev/null 2>&1") == 0; }
    static std::string Quoted(const std::string& path) { return "'" + path + "'"; }
    // The text poppler reads out of a PDF file, words separated by blanks.
    static std::string PdfText(const std::string& pdf) {
        std::string text = tqtest::CommandOutput("pdftotext -layout " + Quoted(pdf) + " -");
        return std::regex_replace(text, std::regex(R"(\s+)"), " ");
    }
};

// The first bytes of each format.
std::string FormatOf(const std::string& bytes) {
    if (bytes.rfind("\xFF\xD8\xFF", 0) == 0)
        return "jpeg";
    if (bytes.rfind("BM", 0) == 0)
        return "bmp";
    if (bytes.rfind("%PDF-", 0) == 0)
        return "pdf";
    return "?";
}

TEST_F(SavedFiles, SaveAsImageKeepsItsFormatAndWritesTheFormatAndWidthChosen) {
    // One dialog, as the menu keeps it, used again and again: every format
    // after every other, each with its own width.
    struct Step {
        const char* format;
        int width;
    };
    const Step steps[] = {{"pdf", 0}, {"jpeg", 1300}, {"bmp", 2100}, {"pdf", 0}, {"bmp", 900},
                          {"jpeg", 700}, {"pdf", 0}, {"jpeg", 1100}};
    TfrmSaveImage dialog;
    std::string last;
    int n = 0;
    for (const Step& step : steps) {
        const std::string name = P("page" + std::to_string(++n)); // the extension is added
        dialog.OnAskFileName = [&](const QString&) { return name; };
        RunSaveImageCommand(dialog, [&](TfrmSaveImage& d) {
            const int checked = d.rbtJPEG->isChecked() + d.rbtBMP->isChecked() + d.rbtPDF->isChecked();
            EXPECT_EQ(checked, 1) << "step " << n << ": exactly one format is offered";
            if (!last.empty()) {
                QRadioButton* kept = last == "jpeg" ? d.rbtJPEG : last == "bmp" ? d.rbtBMP : d.rbtPDF;
                EXPECT_TRUE(kept->isChecked()) << "step " << n << ": the last format, " << last;
            }
            QRadioButton* button = std::string(step.format) == "jpeg" ? d.rbtJPEG
                                   : std::string(step.format) == "bmp" ? d.rbtBMP
                                                                       : d.rbtPDF;
            button->click();
            if (step.width)
                d.spnImgWidth->setValue(step.width);
            d.rbtCurrentPage->setChecked(true);
            d.btnOK->click();
            return static_cast<int>(QDialog::Accepted);
        });
        last = step.format;
        ASSERT_EQ(dialog.Written.size(), 1u) << "step " << n;
        const std::string file = dialog.Written.front();
        const std::string ext = std::string(step.format) == "jpeg" ? ".jpg" : "." + std::string(step.format);
        EXPECT_EQ(file, name + ext);
        EXPECT_EQ(FormatOf(Read(file)), step.format) << file;
        if (step.width) {
            // `file` reads the size from the image's own header
            const std::string described = tqtest::CommandOutput("file -b " + Quoted(file));
            std::smatch m;
            ASSERT_TRUE(std::regex_search(described, m, std::regex(R"((?:, )(\d+) ?x ?-?(\d+))"))) << described;
            EXPECT_EQ(std::stoi(m[1]), step.width) << described;
        }
    }
    EXPECT_TRUE(messages.empty());

    // Keys that name no format (all three at 0): the dialog still offers one,
    // and a name typed with ".pdf" is written as a PDF whatever is selected.
    TIniFile(PrefFileName()).WriteValues("Pref", {{"rbtJPEG", "0"}, {"rbtPDF", "0"}, {"rbtBMP", "0"}});
    TfrmSaveImage fresh;
    const std::string typed = P("typed.pdf");
    fresh.OnAskFileName = [&](const QString&) { return typed; };
    RunSaveImageCommand(fresh, [&](TfrmSaveImage& d) {
        EXPECT_EQ(d.rbtJPEG->isChecked() + d.rbtBMP->isChecked() + d.rbtPDF->isChecked(), 1);
        d.rbtCurrentPage->setChecked(true);
        d.btnOK->click();
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_EQ(fresh.Written, std::vector<std::string>{typed});
    EXPECT_EQ(FormatOf(Read(typed)), "pdf");
}

TEST_F(SavedFiles, ANameOfOneFormatIsWrittenInThatFormat) {
    // The name decides: a ".pdf" name with BMP chosen is a PDF, a ".bmp" name
    // with JPEG chosen a bitmap.
    const struct {
        const char* name;
        TExportFormat chosen;
        const char* format;
    } cases[] = {{"a.pdf", efBmp, "pdf"}, {"b.bmp", efJpeg, "bmp"}, {"c.JPG", efPdf, "jpeg"}, {"d.v2", efBmp, "bmp"}};
    for (const auto& c : cases) {
        TExportOptions o;
        o.Width = 600;
        o.Range = erCurrentPage;
        o.Format = c.chosen;
        const auto written = ExportImages(fx.view, P(c.name), o);
        ASSERT_EQ(written.size(), 1u) << c.name;
        EXPECT_EQ(FormatOf(Read(written.front())), c.format) << c.name;
    }
    EXPECT_TRUE(fs::exists(P("d.v2.bmp")));
}

TEST_F(SavedFiles, PdfIsThePageItselfWithItsTextAndTitleWhole) {
    if (!Poppler())
        GTEST_SKIP() << "poppler-utils is not installed";
    // Save as Image -> PDF and File -> Print to a PDF file write the same
    // vector page.
    const std::string exported = P("exported.pdf");
    {
        TfrmSaveImage dialog;
        dialog.OnAskFileName = [&](const QString&) { return exported; };
        RunSaveImageCommand(dialog, [](TfrmSaveImage& d) {
            d.rbtPDF->click();
            d.btnOK->click();
            return static_cast<int>(QDialog::Accepted);
        });
    }
    const std::string printed = P("printed.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        TQPrinterSink sink(printer);
        TfrmPrint dialog;
        dialog.OnAskPdfFile = [&] { return printed; };
        ASSERT_TRUE(RunPrintCommand(fx.view, dialog, sink, [](TfrmPrint& d) {
            d.chkPrintToPdf->setChecked(true);
            d.btnOkClick();
            return static_cast<int>(QDialog::Accepted);
        }));
    }
    for (const std::string& pdf : {exported, printed}) {
        const std::string text = PdfText(pdf);
        for (const char* word : {kTitle, "Moderato", "la", "li", "lo", "lu"})
            EXPECT_NE(text.find(word), std::string::npos) << pdf << ": " << word << " in\n" << text;
        EXPECT_EQ(text.find("Create By"), std::string::npos) << pdf << ": no placeholder";
        EXPECT_EQ(text.find("song.mus"), std::string::npos) << pdf << ": no file name unless asked";
        EXPECT_EQ(text.find(dir.str()), std::string::npos) << pdf << ": no folder";
        // no page pictures: the lines list of pdfimages holds only its header
        const std::string images = tqtest::CommandOutput("pdfimages -list " + Quoted(pdf) + " | tail -n +3");
        EXPECT_EQ(images, "") << pdf;
        EXPECT_LT(fs::file_size(pdf), 300u * 1024u) << pdf;
        // the title lies whole inside the page
        const std::string bbox = tqtest::CommandOutput("pdftotext -bbox " + Quoted(pdf) + " -");
        const std::string info = tqtest::CommandOutput("pdfinfo " + Quoted(pdf));
        std::smatch size;
        ASSERT_TRUE(std::regex_search(info, size, std::regex(R"(Page size:\s+([0-9.]+) x)")));
        const double pageWidth = std::stod(size[1]);
        const std::regex word(R"re(<word xMin="([-0-9.]+)" yMin="[-0-9.]+" xMax="([-0-9.]+)" yMax="[-0-9.]+">([^<]*)</word>)re");
        int titleWords = 0;
        for (std::sregex_iterator it(bbox.begin(), bbox.end(), word), end; it != end; ++it) {
            const std::string w = (*it)[3];
            if (w != "Gongche" && w != "river" && w != "spring")
                continue;
            ++titleWords;
            EXPECT_GE(std::stod((*it)[1]), 0.0) << pdf << ": " << w;
            EXPECT_LE(std::stod((*it)[2]), pageWidth) << pdf << ": " << w;
        }
        EXPECT_GE(titleWords, 3) << pdf;
        // the page as poppler draws it, for a person to look at
        const std::string png = pdf.substr(0, pdf.size() - 4);
        if (std::system(("pdftoppm -r 100 -png -singlefile " + Quoted(pdf) + " " + Quoted(png)).c_str()) == 0)
            tqtest::SavePngIfWanted(QImage(QString::fromStdString(png + ".png")),
                                    "pdf_page_" + fs::path(png).filename().string());
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SavedFiles, AFailedWriteKeepsTheOldFileAndSaysSo) {
    // A full disk (a file may not grow beyond 64 bytes): every format keeps the
    // old file whole, leaves no temporary and gives the write error.
    for (const char* name : {"old.jpg", "old.bmp", "old.pdf"}) {
        { std::ofstream(P(name)) << "old"; }
        messages.clear();
        TExportOptions o;
        o.Width = 500;
        o.Range = erCurrentPage;
        std::vector<std::string> written;
        {
            tqtest::FileSizeLimit full(64);
            written = ExportImages(fx.view, P(name), o);
        }
        EXPECT_TRUE(written.empty()) << name;
        EXPECT_EQ(messages, (std::vector<int>{2701, 1043})) << name;
        EXPECT_EQ(Read(P(name)), "old") << name;
    }
    // the print command's PDF file too
    {
        QPrinter printer(QPrinter::HighResolution);
        TQPrinterSink sink(printer);
        TfrmPrint dialog;
        dialog.OnAskPdfFile = [&] { return P("old.pdf"); };
        messages.clear();
        tqtest::FileSizeLimit full(64);
        EXPECT_FALSE(RunPrintCommand(fx.view, dialog, sink, [](TfrmPrint& d) {
            d.chkPrintToPdf->setChecked(true);
            d.btnOkClick();
            return static_cast<int>(QDialog::Accepted);
        }));
    }
    EXPECT_EQ(messages, (std::vector<int>{2701, 1043}));
    EXPECT_EQ(Read(P("old.pdf")), "old");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"old.bmp", "old.jpg", "old.pdf"})) << "no temporary left";
}

TEST_F(SavedFiles, APlantedLinkIsNeverWrittenThrough) {
    // Links planted at the names a temporary beside the target might take
    // point at a file of the user: it stays as it was, and each target is a
    // file of its own format.
    const std::string victim = P("victim.txt");
    { std::ofstream(victim) << "precious"; }
    for (const char* name : {"out.jpg", "out.bmp", "out.pdf"}) {
        for (const char* suffix : {".tmp", ".tmp~", "~", ".part"})
            fs::create_symlink(victim, P(std::string(name) + suffix));
        TExportOptions o;
        o.Width = 500;
        o.Range = erCurrentPage;
        ASSERT_EQ(ExportImages(fx.view, P(name), o).size(), 1u) << name;
        EXPECT_FALSE(fs::is_symlink(P(name))) << name;
        EXPECT_EQ(FormatOf(Read(P(name))), std::string(name).substr(4) == "jpg" ? "jpeg" : std::string(name).substr(4))
            << name;
    }
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_TRUE(messages.empty());
}

} // namespace
