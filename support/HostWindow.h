// A top-level window of our layer holding single controls, for the tests and the benchmark.
#pragma once

#include "platform/Wnd.h"

namespace test {

// A plain ANSI top-level window (of the STATIC class, so no class needs registering), subclassed
// by this object, as the main dialog is: its controls send it ANSI notifications, and those it
// reflects reach the controls' own handlers. Hidden until the caller shows it; destroyed with the
// object.
class CHostWindow : public CWnd {
public:
    CHostWindow(int width, int height);
    ~CHostWindow() override;

    // Creates a visible child control of `className` at the top left, with `style` beside
    // WS_CHILD | WS_VISIBLE, and subclasses it by `control`. Its window, or null.
    HWND AddControl(CWnd& control, const char* className, DWORD style, int width, int height,
                    int id = 0);
};

} // namespace test
