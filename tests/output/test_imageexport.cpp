// Export file names.
#include <gtest/gtest.h>

#include "output/modTQImageExport.h"

TEST(ImageExportNames, StripPageSuffix) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"song_2.jpg", "song.jpg"},      {"song_12.jpg", "song.jpg"},
                 {"song_10.jpg", "song_10.jpg"}, {"song_.jpg", "song.jpg"},
                 {"/a/b_c/song.bmp", "/a/b_c/song.bmp"}, {"song_123456.jpg", "song_123456.jpg"}};
    for (const auto& c : cases)
        EXPECT_EQ(StripPageSuffix(c.in), c.out) << c.in;
}

TEST(ImageExportNames, ExtensionDecidesFormatAndPagesNumberFromOne) {
    EXPECT_TRUE(IsJpegFileName("a.JPEG"));
    EXPECT_TRUE(IsJpegFileName("a.jpg"));
    EXPECT_FALSE(IsJpegFileName("x.bmp"));
    EXPECT_EQ(ExportNameWithExtension("x.bmp", efJpeg), "x.bmp");
    EXPECT_EQ(ExportNameWithExtension("x.PDF", efBmp), "x.PDF");
    EXPECT_EQ(ExportNameWithExtension("x", efJpeg), "x.jpg");
    EXPECT_EQ(ExportNameWithExtension("x", efBmp), "x.bmp");
    EXPECT_EQ(ExportNameWithExtension("x", efPdf), "x.pdf");
    // another extension is not a format: the chosen one is added
    EXPECT_EQ(ExportNameWithExtension("song.v2", efJpeg), "song.v2.jpg");
    EXPECT_EQ(ExportFileNames("out.jpg", 1), std::vector<std::string>{"out.jpg"});
    EXPECT_EQ(ExportFileNames("out_2.jpg", 3),
              (std::vector<std::string>{"out_1.jpg", "out_2.jpg", "out_3.jpg"}));
}
