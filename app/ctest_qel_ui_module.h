// The executable's COM module: the UI class and the application class as local-server
// class objects, and the three registration scripts (AppID, application class, UI class).
#pragma once

#include "app/qel_irecord_host.h"
#include "qel_lib/qel_ptr.h"
#include "winkit/wk_com_module.h"
#include "winkit/wk_registry_script.h"

extern const CLSID CLSID_co_qel_app_msn;
extern const CLSID CLSID_co_qel_ui;

class Ctest_qel_uiModule : public WkComModule {
 public:
  Ctest_qel_uiModule();

  static const wchar_t kAppId[];

  // Script 138 under HKEY_CLASSES_ROOT.
  HRESULT UpdateRegistryAppId(bool _register);
  // Scripts 140 and 105, and the proxy/stub DLL beside the program.
  HRESULT RegisterServer();
  HRESULT UnregisterServer();

  // The application that objects created for clients report to; empty until it is set.
  void SetRecordHost(const shared_ptr<qel_irecord_host>& _host) { m_record_host = _host; }
  shared_ptr<qel_irecord_host> GetRecordHost() const { return m_record_host.lock(); }

  // The scripts as data, for tests: 138, 140 and 105.
  static const WkRegistryScript& AppIdScript();
  static const WkRegistryScript& AppClassScript();
  static const WkRegistryScript& UiClassScript();
  // %MODULE% is this executable's path, %APPID% the AppID.
  static WkRegReplacements Replacements();

 private:
  weak_ptr<qel_irecord_host> m_record_host;
};

// The process's module.
Ctest_qel_uiModule& qel_com_module();
