#pragma once
// What the Western-to-Jianpu commands ask of the main window beyond its score
// and drawing parts: switching the display to layer 0 (the layer button) and the
// beep when there is nothing to convert. The window sets these at start-up; a
// score without a window (a test, a hidden holder) switches the current layer
// directly and makes no sound.
#include <functional>

struct TW2JWindowHooks {
    std::function<void()> SwitchToLayer0; // the layer button, pressed on layer 1
    std::function<void()> Beep;
};

extern TW2JWindowHooks W2JWindow;

// The window's beep, when it serves one.
void ConvertBeep();
// Shows layer 0 when layer 1 is current: through the window's layer button,
// else by switching the current layer.
void ConvertToLayer0();

// The wait cursor while a conversion runs; the cursor before it comes back
// however the conversion ends.
class TW2JHourglass {
  public:
    TW2JHourglass();
    ~TW2JHourglass();
    TW2JHourglass(const TW2JHourglass&) = delete;
    TW2JHourglass& operator=(const TW2JHourglass&) = delete;

  private:
    bool set_ = false;
};
