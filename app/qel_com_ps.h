// The program's COM interfaces and the proxy/stub that marshals them between the program
// and the recording engine.
#pragma once

#include "platform/win32/win.h"

#include <ole2.h>

#include "qel_com.h"

// Class id of the proxy/stub factory, both linked in and in quorvantine_msn_ps.dll.
extern "C" const CLSID CLSID_PSFactoryBuffer;

// Makes the linked-in proxy/stub serve the four interfaces in this process, so that no
// Interface keys are needed in the registry. Call once after COM is initialised.
HRESULT qel_register_ps_in_process();

// Registers or removes the proxy/stub DLL beside the program (Interface keys and the
// factory's class id) so that an engine built elsewhere can marshal the interfaces.
HRESULT qel_register_ps_dll(bool _register);
