// The hidden UI top window: a second instance started by the user finds it by class name
// and sends WM_ZUL_SHOW_UI so that this instance shows its main window.
#pragma once

#include "platform/win32/win.h"

// Registered id of WM_ZUL_SHOW_UI, 0 until qel_register_ui_wm succeeds.
extern UINT g_WM_ZUL_SHOW_UI;
extern HWND g_hwnd_ui_top;

// Registers WM_ZUL_SHOW_UI once; returns its id (0 on failure, reported).
UINT qel_register_ui_wm();
// Registers the class and creates the window into g_hwnd_ui_top.
bool qel_create_ui_top_wnd();
// Destroys g_hwnd_ui_top (if any) and unregisters the class.
void qel_destroy_ui_top_wnd();
// Asks the running instance to show (wparam 1) or hide (0) its main window. False when no
// instance or no message id is there.
bool qel_send_show_ui(WPARAM wparam);

LRESULT CALLBACK wndproc_ui_top_wnd(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
