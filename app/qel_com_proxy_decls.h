// mingw-w64 declares the IUnknown proxy entries only for C++; the generated proxy code is C.
// Forced in before the generated code, so it must not pull in <rpcproxy.h>: the proxy's
// structures depend on USE_STUBLESS_PROXY, which the generated code defines first.
#pragma once

#include <objbase.h>

#ifndef __cplusplus
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** out);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);
#endif
