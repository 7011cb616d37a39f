// The whole application created once per test program, with the fake hook component in
// place of the real one; tests reach its messenger instance registry.
#pragma once

#include "messenger/fake_hook_dll.h"
#include "messenger/qel_oc_inst_wrap_rep.h"

FakeHookDll& fake_hook();
shared_ptr<ZulMsnOCInstWrapRep> live_rep();
