// The program's COM module in place of ATL's: the object map of class objects offered to
// other processes, their registration with COM, the lock count of a local server and the
// registry scripts that "/Regserver" and "/Unregserver" apply.
#pragma once

#include <vector>

#include "platform/win32/win.h"

#include <objbase.h>

class WkComModule {
 public:
  // Makes a new class factory (one reference) for one entry of the object map.
  using FactoryMaker = HRESULT (*)(IClassFactory** out);

  WkComModule();
  WkComModule(const WkComModule&) = delete;
  WkComModule& operator=(const WkComModule&) = delete;
  virtual ~WkComModule();

  // The module of the process, null when there is none.
  static WkComModule* Current();

  void AddObject(const CLSID& clsid, FactoryMaker make_factory);
  // Registers every class object of the map; on a failure those already registered are
  // revoked again and the failure is returned.
  HRESULT RegisterClassObjects(DWORD context, DWORD flags);
  // Revokes and releases every registered class object; safe to call twice.
  void RevokeClassObjects();

  // The program is a tray application: it runs until the user ends it, so reaching zero
  // locks does not end the process as it would for a server started only for its clients.
  LONG Lock();
  LONG Unlock();
  LONG GetLockCount() const { return m_locks; }

 private:
  struct Entry {
    CLSID clsid;
    FactoryMaker make_factory;
    IClassFactory* factory;
    DWORD cookie;
  };
  std::vector<Entry> m_objects;
  volatile LONG m_locks = 0;
};
