#include <gtest/gtest.h>

#include "platform/core/TQMessage.h"

TEST(MessageBoxes, RecorderAnswersFromQueueThenDefaults) {
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    rec.Answer(mrNo);
    TMessageRequest yesNo;
    yesNo.buttons = mbYesNo;
    EXPECT_EQ(MessageBoxes().Show(yesNo).modalResult, mrNo);
    EXPECT_EQ(MessageBoxes().Show(yesNo).modalResult, mrYes);
    EXPECT_EQ(MessageBoxes().Show(TMessageRequest{}).modalResult, mrOk);
    EXPECT_EQ(rec.shown.size(), 3u);
    SetMessageBoxes(nullptr);
}

TEST(MessageBoxes, ByIdGoesToHandlerOrFallsBackToBoxes) {
    TMessageRecorder rec;
    SetMessageBoxes(&rec);
    SetMessageByIdHandler(nullptr);
    MessageOkById(1045, "a.mus", mkError);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].id, 1045);
    EXPECT_EQ(rec.shown[0].kind, mkError);
    EXPECT_EQ(rec.shown[0].text, "1045a.mus");

    int seenId = 0;
    std::string seenExtra;
    SetMessageByIdHandler([&](TMsgButtons b, int id, const std::string& extra, TMsgKind) {
        seenId = id;
        seenExtra = extra;
        return b == mbYesNo ? int(mrNo) : int(mrOk);
    });
    EXPECT_EQ(MessageYesNoById(2909, "x", mkWarning), mrNo);
    EXPECT_EQ(seenId, 2909);
    EXPECT_EQ(seenExtra, "x");
    EXPECT_EQ(rec.shown.size(), 1u);
    SetMessageByIdHandler(nullptr);
    SetMessageBoxes(nullptr);
}
