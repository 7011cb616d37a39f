// The messenger instance registry created once per test program, with the fake hook
// component in place of the real one and a hidden window as the program's main window.
#pragma once

#include "library/qel_profile.h"
#include "messenger/fake_hook_dll.h"
#include "messenger/qel_oc_inst_wrap_rep.h"

FakeHookDll& fake_hook();
shared_ptr<ZulMsnOCInstWrapRep> live_rep();
// What the program hands the registry: its machine key and its main window.
ZulProfileKey machine_key();
HWND owner_wnd();
