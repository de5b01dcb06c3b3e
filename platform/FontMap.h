#pragma once
// The Chinese and Windows face names the program asks for, mapped to free fonts
// installed here, so that no text falls back to a face without Chinese glyphs.
#include <thread>

class QFont;

namespace platform {
void InstallFontMapping();

// The song face ("宋体") is drawn from its hinted bitmaps at small sizes, as it is on the
// system it comes from: smoothed it turns faint and blurred at 12 pixels.
void CrispSmallSong(QFont &f);

// Reads the system's font configuration on a second thread while the application connects
// to the display, which takes about as long; the first text measured then finds it read.
// Waits for the thread when it goes, and in wait(), which must come before any text is
// measured or drawn.
class TFontWarmUp {
public:
    TFontWarmUp();
    ~TFontWarmUp() { wait(); }
    TFontWarmUp(const TFontWarmUp &) = delete;
    TFontWarmUp &operator=(const TFontWarmUp &) = delete;
    void wait();

private:
    std::thread m_thread;
};
} // namespace platform
