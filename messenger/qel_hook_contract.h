// What the program and the hook component exchange: the instance record the component
// builds, the signatures behind its function table and the table positions both sides use.
#pragma once

#include <cstdint>

#include "platform/win32/win.h"

// One reported messenger instance. The fields take the platform's natural widths, so a
// 64-bit build can carry its window handles and the link to the next record.
struct qel_oc_info {
  DWORD m_proc_id;
  HWND m_hwnd_hidden;
  HWND m_hwnd_main;
  qel_oc_info* m_next;
};

// Called by the component for each batch of new instances; the result is not used.
using qel_oc_new_callback = int (*)(qel_oc_info* _info, void* _usrData);

// Function table entries (9 in all; 0, 1 and 8 are never called).
using qel_hook_fn_watch = bool (*)(qel_oc_new_callback callback, void* usr_data);  // 2, 4
using qel_hook_fn_stop = void (*)();                                               // 3
using qel_hook_fn_detach = bool (*)(HWND top_agent, HWND static_wnd);              // 5
using qel_hook_fn_set_sink = bool (*)(HWND static_wnd, HWND hidden);               // 6
using qel_hook_fn_attach = bool (*)(HWND top_agent, HWND main, HWND static_wnd);   // 7

inline constexpr int kQelHookFuncCount = 9;
inline constexpr int kQelHookWmCount = 14;

enum qel_hook_func_index {
  kHookFnWatch = 2,
  kHookFnStop = 3,
  kHookFnReport = 4,
  kHookFnDetach = 5,
  kHookFnSetSink = 6,
  kHookFnAttach = 7,
};

enum qel_hook_wm_index {
  kHookWmMainCreated = 1,  // wParam: the new main window
  kHookWmMainGone = 2,
  kHookWmTaintMain = 4,
  kHookWmMainKnown = 6,    // wParam: main window, lParam: top agent window
  kHookWmHiddenKnown = 7,  // wParam: hidden window, lParam: top agent window
  kHookWmAccepted = 12,
  kHookWmInstanceEnded = 13,
};

inline constexpr char kQelHookFuncEntryName[] = "g_hookdll_func_entry";
inline constexpr char kQelHookWmEntryName[] = "g_hookdll_wm_entry";
inline constexpr char kQelHookDefaultDllName[] = "qel_msn_hook.dll";
