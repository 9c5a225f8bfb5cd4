// Message boxes by string id: captions, texts, button sets, the check box,
// modal results, the overwrite check and the dialog's layout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>

#include "lang/frmTQMessage.h"
#include "lang/modTQLanguage.h"
#include "lang/modTQMessage.h"
#include "tests/support/TQTestSupport.h"

namespace {

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxes(&rec);
        Language->UseChinese = true;
        ASSERT_TRUE(Language->LoadLanguageDll());
    }
    void TearDown() override { SetMessageBoxes(nullptr); }
    TMessageRecorder rec;
};

} // namespace

TEST_F(MessageTest, CaptionIsKindCaptionDashIdAndTextIsStringPlusExtra) {
    static const struct {
        int id;
        const char* extra;
        TMsgKind kind;
        const char* caption;
        const char* text;
    } cases[] = {
        {1044, "\na.mus", mkError, "出错 - 1044", "打开文件出错：\na.mus"},
        {1045, "b.mus", mkError, "出错 - 1045", "文件格式不对b.mus"},
        {2909, "", mkWarning, "警告 - 2909", "创建这个文件的版本比你现在的版本更新，打开它可能会有问题，继续打开这个文件？"},
        {1040, "", mkInformation, "信息 - 1040", "无错。所有小节都含有正确的节拍数"},
        {1023, "", mkConfirmation, "确认 - 1023", "当前乐谱有所改变但数据没有存入硬盘，您仍旧希望退出？"},
        {0, "Exported 3 pages", mkInformation, "信息", "Exported 3 pages"},
        {-7, "only this", mkWarning, "警告", "only this"},
        {217, " tail", mkError, "出错 - 217", " tail"}, // an id the table lacks
    };
    for (const auto& c : cases) {
        rec.Clear();
        Language->MessageOk(c.id, c.extra, c.kind);
        ASSERT_EQ(rec.shown.size(), 1u);
        EXPECT_EQ(rec.shown[0].caption, c.caption) << c.id;
        EXPECT_EQ(rec.shown[0].text, c.text) << c.id;
        EXPECT_EQ(rec.shown[0].kind, c.kind);
        EXPECT_EQ(rec.shown[0].dontShowText, "");
    }
}

TEST_F(MessageTest, EntryPointsChooseButtonsAndPassModalResults) {
    using Entry = std::function<int(int, const std::string&, TMsgKind)>;
    static const struct {
        const char* name;
        TMsgButtons buttons;
    } entries[] = {{"Ok", mbOK}, {"YesNo", mbYesNo}, {"YesNoCancel", mbYesNoCancel}};
    const Entry calls[] = {
        [](int id, const std::string& e, TMsgKind k) { return Language->MessageOk(id, e, k); },
        [](int id, const std::string& e, TMsgKind k) { return Language->MessageYesNo(id, e, k); },
        [](int id, const std::string& e, TMsgKind k) { return Language->MessageYesNoCancel(id, e, k); },
    };
    for (int i = 0; i < 3; ++i) {
        rec.Clear();
        rec.Answer(mrNo);
        rec.Answer(mrCancel);
        rec.Answer(mrYes);
        rec.Answer(mrOk);
        EXPECT_EQ(calls[i](1022, "", mkConfirmation), mrNo) << entries[i].name;
        EXPECT_EQ(calls[i](1022, "", mkConfirmation), mrCancel) << entries[i].name;
        EXPECT_EQ(calls[i](1022, "", mkConfirmation), mrYes) << entries[i].name;
        EXPECT_EQ(calls[i](1022, "", mkConfirmation), mrYes) << "OK counts as Yes: " << entries[i].name;
        ASSERT_EQ(rec.shown.size(), 4u);
        EXPECT_EQ(rec.shown[0].buttons, entries[i].buttons) << entries[i].name;
        EXPECT_EQ(rec.shown[0].id, 1022);
    }
}

TEST_F(MessageTest, CheckBoxSetsTheFlagOnlyWhenTicked) {
    bool flag = false;
    rec.Answer(mrOk, false);
    Language->MessageOk(2920, "", mkWarning, &flag);
    EXPECT_FALSE(flag);
    EXPECT_EQ(rec.shown.back().dontShowText, "请不要再显示这个窗口。");

    rec.Answer(mrOk, true);
    Language->MessageOk(2920, "", mkWarning, &flag);
    EXPECT_TRUE(flag);

    rec.Answer(mrYes, false); // an unticked box leaves a true flag alone
    Language->MessageYesNo(2920, "", mkWarning, &flag, 2906);
    EXPECT_TRUE(flag);
    EXPECT_EQ(rec.shown.back().dontShowText, "符号布局已经改变，你希望使用它吗？");
}

TEST_F(MessageTest, WithoutTableTheCaptionKeepsTheIdAndTheTextTheExtra) {
    tqtest::TempDir empty;
    Language->LibraryFolder = empty.str();
    EXPECT_FALSE(Language->LoadLanguageDll());
    Language->LibraryFolder.clear();
    rec.Clear();
    bool flag = false;
    rec.Answer(mrOk, true);
    Language->MessageOk(1044, "\nx.mus", mkError, &flag);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].caption, " - 1044");
    EXPECT_EQ(rec.shown[0].text, "\nx.mus");
    EXPECT_FALSE(rec.shown[0].dontShowText.empty()); // the box is still offered
    EXPECT_TRUE(flag);
}

TEST_F(MessageTest, LowerLayersSpeakThroughTheLanguageObject) {
    rec.Answer(mrNo);
    EXPECT_EQ(MessageYesNoById(2909, "c.mus", mkWarning), mrNo);
    MessageOkById(1052, "\nd.mus", mkError);
    ASSERT_EQ(rec.shown.size(), 2u);
    EXPECT_EQ(rec.shown[0].caption, "警告 - 2909");
    EXPECT_EQ(rec.shown[0].buttons, mbYesNo);
    EXPECT_EQ(rec.shown[1].caption, "出错 - 1052");
    EXPECT_EQ(rec.shown[1].text, "文件里没有包含任何数据\nd.mus");
}

TEST_F(MessageTest, OverwriteCheckAsksOnlyForAnExistingFile) {
    tqtest::TempDir dir;
    std::ofstream(dir / "song.mus") << "x";
    std::filesystem::create_directory(dir / "folder.mus");
    const std::string base = dir.str() + "/";
    static const struct {
        const char* name;
        const char* ext;
        bool asks;
    } cases[] = {
        {"song", "mus", true},       // the default extension is added
        {"song.mus", "mus", true},   // typed with its extension
        {"song.txt", "mus", false},  // any extension is tested as typed
        {"other", "mus", false},     // no such file
        {"song", "", false},         // no default extension
        {"folder", "mus", false},    // a folder is not a file
    };
    for (const auto& c : cases) {
        rec.Clear();
        rec.Answer(mrYes);
        EXPECT_TRUE(Language->ConfirmOverwrite(base + c.name, c.ext)) << c.name;
        ASSERT_EQ(rec.shown.size(), c.asks ? 1u : 0u) << c.name;
        if (c.asks) {
            EXPECT_EQ(rec.shown[0].id, 2701);
            EXPECT_EQ(rec.shown[0].kind, mkWarning);
            EXPECT_EQ(rec.shown[0].buttons, mbYesNoCancel);
            EXPECT_EQ(rec.shown[0].text, "这个文件已经存在，您希望取代它？ ");
        }
    }
    for (int answer : {int(mrCancel), int(mrNo)}) {
        rec.Clear();
        rec.Answer(answer);
        EXPECT_FALSE(Language->ConfirmOverwrite(base + "song", "mus"));
    }
}

// --- the Qt dialog ---

namespace {

struct Shown {
    int width, height, labelTop, panelLeft, panelWidth;
};

Shown Layout(TfrmMsgYNC& f) {
    return {f.width(), f.height(), f.lblMsg->y(), f.pnlButton->x(), f.pnlButton->width()};
}

TMessageRequest Request(TMsgButtons buttons, const std::string& text, bool checkBox = false) {
    TMessageRequest r = Language->BuildMessageForm(0, text, mkInformation, buttons, checkBox, 0);
    return r;
}

} // namespace

TEST_F(MessageTest, DialogOkBoxOnOneLine) {
    TfrmMsgYNC f;
    f.Prepare(Request(mbOK, "Saved."));
    f.Arrange();
    const Shown s = Layout(f);
    EXPECT_EQ(s.width, 59 + 351 + 14 + 8);
    EXPECT_GE(s.height, 100);
    EXPECT_EQ(s.labelTop, 16);
    EXPECT_EQ(s.panelWidth, 91);
    EXPECT_EQ(s.panelLeft, (432 - 91) / 2);
    EXPECT_TRUE(f.btnYes->isVisibleTo(&f));
    EXPECT_FALSE(f.btnNo->isVisibleTo(&f));
    EXPECT_FALSE(f.btnCancel->isVisibleTo(&f));
    EXPECT_FALSE(f.chkDoNotAskAgain->isVisibleTo(&f));
    EXPECT_EQ(f.btnYes->text().toStdString(), "确认");
    EXPECT_EQ(f.nbkImage->currentIndex(), 2);
    EXPECT_EQ(f.windowTitle().toStdString(), "信息");
    tqtest::SavePngIfWanted(f.grab().toImage(), "message_ok");
}

TEST_F(MessageTest, DialogButtonSetsAndIcons) {
    static const struct {
        TMsgButtons buttons;
        TMsgKind kind;
        bool yes, no, cancel;
        int second; // left of the second visible button
        int page;
    } cases[] = {
        {mbYesNo, mkConfirmation, true, true, false, 158, 1},
        {mbYesNoCancel, mkWarning, true, false, true, 158, 0},
        {mbYesNo, mkError, true, true, false, 158, 3},
    };
    for (const auto& c : cases) {
        TfrmMsgYNC f;
        TMessageRequest r = Language->BuildMessageForm(1022, "", c.kind, c.buttons, false, 0);
        f.Prepare(r);
        f.Arrange();
        EXPECT_EQ(f.btnYes->isVisibleTo(&f), c.yes);
        EXPECT_EQ(f.btnNo->isVisibleTo(&f), c.no);
        EXPECT_EQ(f.btnCancel->isVisibleTo(&f), c.cancel);
        EXPECT_EQ(f.btnYes->x(), 40);
        EXPECT_EQ((c.no ? f.btnNo : f.btnCancel)->x(), c.second);
        EXPECT_EQ(f.pnlButton->width(), 290);
        EXPECT_EQ(f.pnlButton->x(), (f.width() - 290) / 2);
        EXPECT_EQ(f.nbkImage->currentIndex(), c.page);
        EXPECT_EQ(f.btnNo->text().toStdString(), "否");
        EXPECT_EQ(f.btnCancel->text().toStdString(), "取消");
        EXPECT_EQ(f.windowTitle().toStdString(), r.caption);
    }
}

TEST_F(MessageTest, DialogGrowsForLongTextAndCheckBox) {
    TfrmMsgYNC oneLine, longText, withCheck;
    oneLine.Prepare(Request(mbOK, "Short."));
    oneLine.Arrange();
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "This message is long enough to wrap onto several lines of the box. ";
    longText.Prepare(Request(mbOK, text));
    longText.Arrange();
    withCheck.Prepare(Request(mbOK, "Short.", true));
    withCheck.Arrange();

    EXPECT_EQ(longText.lblMsg->y(), 5);
    EXPECT_GT(longText.lblMsg->height(), 3 * oneLine.lblMsg->height());
    EXPECT_GT(longText.height(), oneLine.height());
    EXPECT_EQ(longText.width(), oneLine.width());
    EXPECT_EQ(longText.height(), 3 * 9 + longText.lblMsg->height() + 33);

    EXPECT_TRUE(withCheck.chkDoNotAskAgain->isVisibleTo(&withCheck));
    EXPECT_GE(withCheck.width(), 350);
    EXPECT_EQ(withCheck.height(), std::max(100, 3 * 9 + withCheck.lblMsg->height() + 33 + 25));
    EXPECT_LT(withCheck.chkDoNotAskAgain->geometry().bottom(), withCheck.pnlBottom->y());
    EXPECT_GT(withCheck.chkDoNotAskAgain->y(), withCheck.lblMsg->geometry().bottom());
    tqtest::SavePngIfWanted(longText.grab().toImage(), "message_long");
}

namespace {

// Runs one box through the program's dialog and acts on it once it is up.
TMessageResult RunDialog(const TMessageRequest& request, const std::function<void(TfrmMsgYNC&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* f = qobject_cast<TfrmMsgYNC*>(QApplication::activeModalWidget());
        if (!f) {
            ADD_FAILURE() << "no message dialog";
            QApplication::activeModalWidget()->close();
            return;
        }
        act(*f);
    });
    TMessageDialogBoxes boxes;
    return boxes.Show(request);
}

} // namespace

TEST_F(MessageTest, DialogModalResults) {
    const TMessageRequest yesNo = Language->BuildMessageForm(1022, "", mkConfirmation, mbYesNo, true, 0);
    const TMessageRequest yesNoCancel =
        Language->BuildMessageForm(1022, "", mkConfirmation, mbYesNoCancel, false, 0);
    EXPECT_EQ(RunDialog(yesNo, [](TfrmMsgYNC& f) { f.btnYes->click(); }).modalResult, mrYes);
    EXPECT_EQ(RunDialog(yesNo, [](TfrmMsgYNC& f) { f.btnNo->click(); }).modalResult, mrNo);
    EXPECT_EQ(RunDialog(yesNoCancel, [](TfrmMsgYNC& f) { f.btnCancel->click(); }).modalResult, mrCancel);
    EXPECT_EQ(RunDialog(yesNoCancel, [](TfrmMsgYNC& f) { f.close(); }).modalResult, mrCancel);
    auto escape = [](TfrmMsgYNC& f) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&f, &key);
    };
    EXPECT_EQ(RunDialog(yesNo, escape).modalResult, mrNo);
    EXPECT_EQ(RunDialog(yesNoCancel, escape).modalResult, mrCancel);

    TMessageResult ticked = RunDialog(yesNo, [](TfrmMsgYNC& f) {
        f.chkDoNotAskAgain->setChecked(true);
        f.btnYes->click();
    });
    EXPECT_EQ(ticked.modalResult, mrYes);
    EXPECT_TRUE(ticked.dontShow);
    EXPECT_FALSE(RunDialog(yesNo, [](TfrmMsgYNC& f) { f.btnYes->click(); }).dontShow);
}
