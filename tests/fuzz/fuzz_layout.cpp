// Fuzz target of the palette layout-file reader: any bytes must be read or
// refused without a crash; an accepted file never places a button on a tab
// the palette does not have.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <cstdio>

#include "palettes/modTQLayout.h"

namespace {

class FuzzPages : public TLayoutPages {
public:
    int PageCount() const override { return 5; }
    int ControlWidth() const override { return 6 * 23 + 1; }
    int SheetHeight() const override { return 8 * 23 + 1; }
    std::vector<TLayoutButtonRef> Buttons(int page) const override {
        std::vector<TLayoutButtonRef> out;
        for (int i = 0; i < 12; ++i) {
            TLayoutButtonRef b;
            b.button = page * 12 + i;
            b.tag = (page * 12 + i) % 50; // some Tags twice
            b.left = (i % 6) * 23;
            b.top = (i / 6) * 23;
            b.width = b.height = 23;
            out.push_back(b);
        }
        return out;
    }
    void PlaceButton(int, int page, int, int) override {
        if (page < 0 || page >= 5) std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TLayoutFileData d;
    if (ParseLayoutText(text, kSpecialLayoutId, 5, d) != lpOk) return 0;
    FuzzPages pages;
    TLayoutMgr m(23, 23);
    m.CollectButtons(pages);
    std::string path = "/tmp/fuzz_layout_" + std::to_string(getpid()) + ".sly";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        if (m.LoadLayoutFile(kSpecialLayoutId, path, pages, false)) {
            if (m.Count() != 60) std::abort();
            m.ArrangeButtons(pages);
        }
        std::remove(path.c_str());
    }
    return 0;
}
