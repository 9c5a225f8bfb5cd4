// The note-name panel's text of a Western note in Jianpu form.
#include <gtest/gtest.h>

#include "convert/modTQJianpuNoteText.h"
#include "tests/convert/TQConvertFixture.h"

TEST(JianpuNoteText, NotesChordsAccidentalsAndTheTwin) {
    struct Case {
        const char* cell;
        const char* text;
    } cases[] = {
        {"W:3@0", "7"},
        {"W:3@6", "1"},
        {"W:3@6+2+2", "5t3t1"},
        {"W:3@6{attr=1}", "k1"},
        {"W:3@6{attr=2}", "l1"},
        {"~", ""},
        {"5", ""},
    };
    for (const Case& c : cases) {
        TConvertFixture fx(12, 6);
        fx.Row(2, std::string("&G ") + c.cell);
        EXPECT_EQ(JianpuNoteText(1, 2), c.text) << c.cell;
    }
    TConvertFixture fx(12, 6, 1);
    fx.Row(2, "&G W:3@6");
    fx.Row(2, "~ W:3@0", 1);
    EXPECT_EQ(JianpuNoteText(1, 2), "1u7");
}
