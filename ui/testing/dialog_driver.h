// What the dialog tests share, in-process and against the real program alike: waiting for
// a window to appear, reading texts, the message box a window shows over itself, pumping a
// dialog's messages, and saving a window's picture for the documentation.
#pragma once

#include <functional>
#include <string>

#include "platform/win32/win.h"

namespace dlg_testing {

// Polls `find` every 50 ms until it gives a window; null when the time is up.
HWND wait_for_window(const std::function<HWND()>& find, DWORD timeout_ms = 10000);

std::wstring window_text(HWND hwnd);

// A top-level dialog owned by `owner`, and the last non-empty static text in it.
HWND find_message_box(HWND owner, std::wstring* text);

// The delete question that `ask` brings up in this process, answered with `button` (IDYES,
// IDNO) from another thread; empty when none came within the time given.
std::wstring answer_delete_question(int button,
                                    const std::function<void()>& ask,
                                    DWORD wait_ms = 3000);

// Presses the button of a dialog as a click does (from any thread or process).
void press(HWND dlg, int id);

// Runs this thread's pending messages, the dialog's keys through IsDialogMessage.
void pump_messages(HWND dlg);

// How many pixels of the window, as the screen shows it, have the colour.
int count_on_screen(HWND hwnd, COLORREF colour);

// Where pictures go: the folder named by QEL_SHOT_DIR, or empty.
std::wstring shot_dir();
// The window as it is on the screen, as a 24-bit BMP file.
bool save_window_bmp(HWND hwnd, const std::wstring& path);

}  // namespace dlg_testing
