// Pictures carried inside score files, and the one-page undo snapshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/modTQBinFile.h"
#include "platform/core/TQFiles.h"
#include "tests/model/binfile_support.h"
#include "tests/support/TQTestSupport.h"

using namespace tqfiletest;
namespace fs = std::filesystem;

namespace {

TCell ImageCell(const std::string& path) {
    TCell c;
    c.cellType = ctImage;
    c.Note = 1;
    c.Text = path;
    return c;
}

// Builds an image block with the given entries (raw 260-byte name fields).
std::string ImageBlock(const std::vector<std::pair<std::string, std::string>>& entries) {
    TBinWriter w;
    w.U32(kImageBlockTag);
    w.I32(int32_t(entries.size()));
    for (const auto& [field, bytes] : entries) {
        std::string f = field;
        f.resize(260, '\0');
        w.data += f;
        w.I32(int32_t(bytes.size()));
        w.data += bytes;
    }
    return w.data;
}

// A valid empty score file of the default page.
std::string EmptyScoreBytes() {
    tqtest::TempDir dir;
    NewScore s;
    const std::string path = (dir / "e.mus").string();
    EXPECT_TRUE(SaveBinaryScore(path, &s.score, true));
    return ReadFile(path);
}

} // namespace

TEST(BinScoreImages, PicturesAreReferencedByFolderAndEmbeddedOnce) {
    tqtest::TempDir scores, pictures, saved;
    const std::string nearPicture = BmpPicture("NEAR"), twicePicture = BmpPicture("TWICE");
    WriteFile((scores / "near.jpg").string(), nearPicture);
    WriteFile((scores / "twice.bmp").string(), twicePicture);
    WriteFile((pictures / "far.bmp").string(), BmpPicture("FARAWAY"));
    WriteFile((scores / "huge.jpg").string(), "");
    fs::resize_file(scores / "huge.jpg", kMaxEmbeddedImageBytes);

    NewScore s;
    s.At(0, 0) = ImageCell((scores / "near.jpg").string());
    s.At(1, 0) = ImageCell((scores / "twice.bmp").string());
    s.At(2, 0) = ImageCell((scores / "TWICE.bmp").string()); // the same picture, by another case
    s.At(3, 0) = ImageCell((scores / "huge.jpg").string());
    s.At(4, 0) = ImageCell((scores / "gone.jpg").string());
    s.At(5, 0) = ImageCell((pictures / "far.bmp").string());
    const std::string path = (scores / "pics.mus").string();
    ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
    EXPECT_TRUE(EmbeddedImages.empty());

    const std::string bytes = ReadFile(path);
    // The cells beside the score store only their name, the other one its whole path.
    EXPECT_NE(bytes.find(std::string("\x0a\0\0\0near.jpg", 12)), std::string::npos);
    EXPECT_NE(bytes.find((pictures / "far.bmp").string()), std::string::npos);
    // Image block: two pictures; the big one, the missing one and the one
    // outside the score's folder are not embedded.
    const std::size_t block = bytes.rfind(std::string("\x97\xBB\x9F\x05", 4));
    ASSERT_NE(block, std::string::npos);
    EXPECT_EQ(WordAt(bytes, block + 4), 2u);
    EXPECT_EQ(bytes.substr(block + 8, 9), std::string("near.jpg\0", 9));
    EXPECT_EQ(WordAt(bytes, block + 268), nearPicture.size());
    EXPECT_EQ(bytes.substr(block + 272, nearPicture.size()), nearPicture);
    const std::size_t second = block + 272 + nearPicture.size();
    EXPECT_EQ(bytes.substr(second, 10), std::string("twice.bmp\0", 10));
    EXPECT_EQ(WordAt(bytes, second + 260), twicePicture.size());
    EXPECT_EQ(bytes.size(), second + 264 + twicePicture.size());
    EXPECT_EQ(bytes.find("FARAWAY"), std::string::npos);

    // Opened from another folder: the bare name takes that folder; the
    // pictures go to the saved-image folder.
    tqtest::TempDir elsewhere;
    const std::string moved = (elsewhere / "pics.mus").string();
    WriteFile(moved, bytes);
    NewScore t;
    t.score.SavedImageFolder = saved.str() + "/";
    ASSERT_TRUE(LoadBinaryScore(moved, &t.score, false));
    EXPECT_EQ(t.At(0, 0).Text, (elsewhere / "near.jpg").string());
    EXPECT_EQ(t.At(5, 0).Text, (pictures / "far.bmp").string());
    EXPECT_EQ(ReadFile((saved / "near.jpg").string()), nearPicture);
    EXPECT_EQ(ReadFile((saved / "twice.bmp").string()), twicePicture);
    EXPECT_FALSE(fs::exists(saved / "far.bmp"));
}

TEST(BinScoreImages, TheBlockWritesTheSizeReadWhenWriting) {
    tqtest::TempDir dir;
    const std::string pic = (dir / "grow.jpg").string();
    const std::string before = BmpPicture("abc"), after = BmpPicture("abcdefgh");
    WriteFile(pic, before);
    EmbeddedImages.clear();
    CollectEmbeddedImage(pic, dir.str() + "/");
    ASSERT_EQ(EmbeddedImages.size(), 1u);
    EXPECT_EQ(EmbeddedImages[0].size, int32_t(before.size()));
    WriteFile(pic, after); // the picture changes before the block is written
    TBinWriter w;
    WriteImageBlock(w);
    EXPECT_TRUE(EmbeddedImages.empty());
    ASSERT_EQ(w.data.size(), 8u + 260 + 4 + after.size());
    EXPECT_EQ(WordAt(w.data, 268), after.size());
    EXPECT_EQ(w.data.substr(272), after);
}

TEST(BinScoreImages, NamesFromAFileAreBaseNamesAndNeverOverwrite) {
    tqtest::TempDir dir, saved;
    WriteFile((saved / "keep.jpg").string(), "MINE");
    const std::string unterminated(260, 'x');
    const std::string block = ImageBlock({
        {"..\\..\\evil.jpg", "E1"},
        {"C:\\pics\\sub/deep.jpg", "D2"},
        {"keep.jpg", "THEIRS"},
        {"..", "P"},
        {"dir/", "Q"},
        {unterminated, "R"},
        {"last.jpg", "L"},
    });
    const std::string path = (dir / "imgs.mus").string();
    WriteFile(path, EmptyScoreBytes() + block);
    NewScore t;
    t.score.SavedImageFolder = saved.str() + "/";
    Messages m;
    ASSERT_TRUE(LoadBinaryScore(path, &t.score, false));
    EXPECT_TRUE(m.recorder.shown.empty());
    EXPECT_EQ(ReadFile((saved / "evil.jpg").string()), "E1");
    EXPECT_EQ(ReadFile((saved / "deep.jpg").string()), "D2");
    EXPECT_EQ(ReadFile((saved / "keep.jpg").string()), "MINE");
    EXPECT_EQ(ReadFile((saved / "last.jpg").string()), "L");
    EXPECT_FALSE(fs::exists(dir / "evil.jpg"));
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "evil.jpg"));
    EXPECT_EQ(std::distance(fs::directory_iterator(saved.path()), {}), 4);
}

TEST(BinScoreImages, DamagedImageBlockCostsOnlyItsPictures) {
    // The score's cells load whatever the image block holds; a picture read
    // whole before the damage is written out, a cut one never.
    std::string score;
    {
        tqtest::TempDir dir;
        NewScore s;
        s.At(3, 4).Note = '6';
        const std::string path = (dir / "n.mus").string();
        ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
        score = ReadFile(path);
    }
    struct Case {
        const char* what;
        std::string tail;
        bool wholeFirst; // b.jpg comes before the damage
    };
    std::string hugeCount = ImageBlock({});
    PutWord(hugeCount, 4, 1000000);
    std::string negativeSize = ImageBlock({{"b.jpg", "BB"}, {"a.jpg", "12"}});
    PutWord(negativeSize, 8 + 264 + 2 + 260, uint32_t(-1));
    std::string pastTheEnd = ImageBlock({{"b.jpg", "BB"}, {"a.jpg", "12"}});
    PutWord(pastTheEnd, 8 + 264 + 2 + 260, 1000);
    const Case cases[] = {
        {"no block", "", false},
        {"block after four other words", std::string(16, '\0') + ImageBlock({{"b.jpg", "BB"}}), true},
        {"block too far away", std::string(20, '\0') + ImageBlock({{"a.jpg", "x"}}), false},
        {"count beyond the file", hugeCount, false},
        {"negative size", negativeSize, true},
        {"size beyond the end of the file", pastTheEnd, true},
        {"entry cut short", ImageBlock({{"b.jpg", "BB"}, {"a.jpg", "12"}}).substr(0, 8 + 266 + 264 + 1), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tqtest::TempDir dir, saved;
        const std::string path = (dir / "i.mus").string();
        WriteFile(path, score + c.tail);
        NewScore t;
        t.score.SavedImageFolder = saved.str() + "/";
        Messages m;
        EXPECT_TRUE(LoadBinaryScore(path, &t.score, false));
        EXPECT_TRUE(m.recorder.shown.empty());
        EXPECT_EQ(t.At(3, 4).Note, '6');
        EXPECT_FALSE(fs::exists(saved / "a.jpg"));
        EXPECT_EQ(fs::exists(saved / "b.jpg"), c.wholeFirst);
        if (c.wholeFirst) {
            EXPECT_EQ(ReadFile((saved / "b.jpg").string()), "BB");
        }
    }
}

TEST(BinScoreImages, ResavingAnOpenedScoreKeepsItsPictures) {
    // The pictures of an opened score live in the saved-image folder, not
    // beside the score; a save under a new name embeds them from there.
    tqtest::TempDir first, elsewhere, renamed, saved1, saved2;
    const std::string picture = BmpPicture(std::string("picture bytes\0\x01\x02", 16));
    WriteFile((first / "p.jpg").string(), picture);
    std::string original;
    {
        NewScore s;
        s.At(0, 0) = ImageCell((first / "p.jpg").string());
        s.At(2, 2).Note = '3';
        const std::string path = (first / "a.mus").string();
        ASSERT_TRUE(SaveBinaryScore(path, &s.score, true));
        original = ReadFile(path);
    }
    const std::string moved = (elsewhere / "a.mus").string();
    WriteFile(moved, original); // the score travels without its picture

    NewScore t;
    t.score.SavedImageFolder = saved1.str() + "/";
    ASSERT_TRUE(LoadBinaryScore(moved, &t.score, false));
    ASSERT_EQ(ReadFile((saved1 / "p.jpg").string()), picture);
    const std::string resaved = (renamed / "b.mus").string();
    ASSERT_TRUE(SaveBinaryScore(resaved, &t.score, true));
    const std::string bytes = ReadFile(resaved);
    EXPECT_NE(bytes.rfind(std::string("\x97\xBB\x9F\x05", 4)), std::string::npos) << "no image block";

    NewScore u; // a fresh user folder
    u.score.SavedImageFolder = saved2.str() + "/";
    ASSERT_TRUE(LoadBinaryScore(resaved, &u.score, false));
    EXPECT_EQ(ReadFile((saved2 / "p.jpg").string()), picture);
    EXPECT_EQ(u.At(2, 2).Note, '3');
    EXPECT_EQ(ExtractFileName(u.At(0, 0).Text), "p.jpg");
}

TEST(UndoPageFile, PageAndSelectionRoundTripInBothLayers) {
    tqtest::TempDir dir;
    NewScore s;
    s.AddPages(0, 2);
    s.AddPages(1, 3);
    s.At(3, 4, 1, 0).Note = '2';
    s.At(5, 6, 1, 1).Note = '4';
    s.score.SelCol0 = 1;
    s.score.SelRow0 = 2;
    s.score.SelCol1 = 3;
    s.score.SelRow1 = 4;
    const std::string path = (dir / "UDO0001.TMP").string();
    ASSERT_TRUE(SaveUndoPage(path, &s.score, 1));
    EXPECT_FALSE(SaveUndoPage(path + "x", &s.score, 3)); // no such page

    const TPage layer0 = s.score.PageSets[0][1];
    const TPage layer1 = s.score.PageSets[1][1];
    s.At(3, 4, 1, 0).Note = '7';
    s.At(0, 0, 1, 1).Note = '7';
    s.score.CurPage = 0;
    s.score.SelCol0 = s.score.SelRow0 = s.score.SelCol1 = s.score.SelRow1 = 0;
    CurLayer = 1;
    ASSERT_TRUE(LoadUndoPage(path, &s.score));
    EXPECT_EQ(FirstDifference({s.score.PageSets[0][1]}, {layer0}), "");
    EXPECT_EQ(FirstDifference({s.score.PageSets[1][1]}, {layer1}), "");
    EXPECT_EQ(s.score.CurPage, 1);
    EXPECT_EQ(s.score.SelCol0, 1);
    EXPECT_EQ(s.score.SelRow1, 4);
    EXPECT_EQ(CurLayer, 1);
}

TEST(UndoPageFile, AFailedLoadChangesNothing) {
    tqtest::TempDir dir;
    NewScore s;
    s.At(2, 2).Note = '1';
    const std::string path = (dir / "UDO0002.TMP").string();
    ASSERT_TRUE(SaveUndoPage(path, &s.score, 0));
    std::string bytes = ReadFile(path);
    s.At(2, 2).Note = '5';
    const ScoreState before(s.score);

    Messages m;
    WriteFile(path, bytes.substr(0, bytes.size() - 2)); // cut inside the page end tag
    EXPECT_FALSE(LoadUndoPage(path, &s.score));
    EXPECT_TRUE(m.recorder.shown.empty());
    EXPECT_TRUE(ScoreState(s.score) == before);

    std::string wrongPage = bytes;
    PutWord(wrongPage, 8, 5);
    WriteFile(path, wrongPage);
    EXPECT_FALSE(LoadUndoPage(path, &s.score));
    EXPECT_TRUE(ScoreState(s.score) == before);

    fs::remove(path);
    EXPECT_FALSE(LoadUndoPage(path, &s.score));
    EXPECT_EQ(m.Ids(), std::vector<int>{1044});
    EXPECT_TRUE(ScoreState(s.score) == before);
}
