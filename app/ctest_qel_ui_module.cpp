// The executable's COM module (Ctest_qel_uiModule): the class ids, the class objects of the
// application and UI classes, and the registration scripts.
#include "app/ctest_qel_ui_module.h"

#include <string>

#include "app/co_qel_app_msn.h"
#include "app/co_qel_ui.h"
#include "app/qel_com_ps.h"
#include "platform/paths.h"
#include "winkit/wk_class_factory.h"

// {2D2E40D2-0595-4697-B889-A87AB4250109}
const CLSID CLSID_co_qel_app_msn = {0x2d2e40d2,
                                    0x0595,
                                    0x4697,
                                    {0xb8, 0x89, 0xa8, 0x7a, 0xb4, 0x25, 0x01, 0x09}};
// {011F3A8D-176E-4644-A92F-69A93B5B6333}
const CLSID CLSID_co_qel_ui = {0x011f3a8d,
                               0x176e,
                               0x4644,
                               {0xa9, 0x2f, 0x69, 0xa9, 0x3b, 0x5b, 0x63, 0x33}};

const wchar_t Ctest_qel_uiModule::kAppId[] = L"{F1BE7889-80DA-4C7F-84DD-4EF9FF4B8248}";

namespace {

using K = WkRegKey;

WkRegKey key(std::wstring name,
             std::wstring value,
             std::vector<WkRegKey> children = {},
             K::Removal removal = K::kRemoveWhenEmpty) {
  WkRegKey k;
  k.name = std::move(name);
  k.has_default = true;
  k.default_value = std::move(value);
  k.children = std::move(children);
  k.removal = removal;
  return k;
}

WkRegKey prog_id(const wchar_t* name,
                 const wchar_t* title,
                 const wchar_t* clsid,
                 const wchar_t* cur_ver) {
  std::vector<WkRegKey> children = {key(L"CLSID", clsid)};
  if (cur_ver)
    children.push_back(key(L"CurVer", cur_ver));
  return key(name, title, std::move(children));
}

WkRegKey clsid_key(const wchar_t* clsid,
                   const wchar_t* title,
                   const wchar_t* prog_id,
                   const wchar_t* independent,
                   const wchar_t* type_lib,
                   bool programmable) {
  std::vector<WkRegKey> children = {key(L"ProgID", prog_id),
                                    key(L"VersionIndependentProgID", independent)};
  if (programmable) {
    WkRegKey empty;
    empty.name = L"Programmable";
    children.push_back(empty);
  }
  children.push_back(key(L"LocalServer32", L"%MODULE%"));
  children.push_back(key(L"TypeLib", type_lib));
  WkRegKey k = key(clsid, title, std::move(children), K::kForceRemove);
  k.values.push_back({L"AppID", L"%APPID%"});
  WkRegKey root;
  root.name = L"CLSID";
  root.removal = K::kNoRemove;
  root.children.push_back(std::move(k));
  return root;
}

std::wstring module_path() {
  std::u16string path = platform::program_path();
  return std::wstring(as_wide(path.c_str()), path.size());
}

}  // namespace

Ctest_qel_uiModule::Ctest_qel_uiModule() {
  AddObject(CLSID_co_qel_ui, &WkClassFactory<co_qel_ui>::Make);
  AddObject(CLSID_co_qel_app_msn, &WkSingletonClassFactory<co_qel_app_msn>::Make);
}

const WkRegistryScript& Ctest_qel_uiModule::AppIdScript() {
  static const WkRegistryScript script = [] {
    WkRegKey exe;
    exe.name = L"quorvantine_msn.EXE";
    exe.values.push_back({L"AppID", L"%APPID%"});
    WkRegKey app_id;
    app_id.name = L"AppID";
    app_id.removal = K::kNoRemove;
    app_id.children = {key(L"%APPID%", L"quorvantine_msn"), exe};
    return WkRegistryScript{app_id};
  }();
  return script;
}

const WkRegistryScript& Ctest_qel_uiModule::AppClassScript() {
  static const WkRegistryScript script = {
      prog_id(L"quorvantine_msn.co_qel_app_msn.1", L"co_qel_app_msn Class",
              L"{2D2E40D2-0595-4697-B889-A87AB4250109}", nullptr),
      prog_id(L"quorvantine_msn.co_qel_app_msn", L"co_qel_app_msn Class",
              L"{2D2E40D2-0595-4697-B889-A87AB4250109}", L"quorvantine_msn.co_qel_app_msn.1"),
      clsid_key(L"{2D2E40D2-0595-4697-B889-A87AB4250109}", L"co_qel_app_msn Class",
                L"quorvantine_msn.co_qel_app_msn.1", L"quorvantine_msn.co_qel_app_msn",
                L"{BD40E13B-B699-4BB6-8323-906271DEF887}", false),
  };
  return script;
}

const WkRegistryScript& Ctest_qel_uiModule::UiClassScript() {
  static const WkRegistryScript script = {
      prog_id(L"test_qel_ui.QelUI.1", L"QelUI Class", L"{C21F3A8D-176E-4644-A92F-69A93B5B6823}",
              nullptr),
      prog_id(L"test_qel_ui.QelUI", L"QelUI Class", L"{C21F3A8D-176E-4644-A92F-69A93B5B6823}",
              L"test_qel_ui.QelUI.1"),
      clsid_key(L"{C21F3A8D-176E-4644-A92F-69A93B5B6823}", L"QelUI Class", L"test_qel_ui.QelUI.1",
                L"test_qel_ui.QelUI", L"{AD40E13B-B699-4BB6-8323-906271DEF887}", true),
  };
  return script;
}

WkRegReplacements Ctest_qel_uiModule::Replacements() {
  return {{L"%MODULE%", module_path()}, {L"%APPID%", kAppId}};
}

HRESULT Ctest_qel_uiModule::UpdateRegistryAppId(bool _register) {
  return _register ? WkRegisterScript(HKEY_CLASSES_ROOT, AppIdScript(), Replacements())
                   : WkUnregisterScript(HKEY_CLASSES_ROOT, AppIdScript(), Replacements());
}

HRESULT Ctest_qel_uiModule::RegisterServer() {
  HRESULT hr = WkRegisterScript(HKEY_CLASSES_ROOT, AppClassScript(), Replacements());
  if (SUCCEEDED(hr))
    hr = WkRegisterScript(HKEY_CLASSES_ROOT, UiClassScript(), Replacements());
  if (SUCCEEDED(hr))
    hr = qel_register_ps_dll(true);
  return hr;
}

HRESULT Ctest_qel_uiModule::UnregisterServer() {
  HRESULT hr = WkUnregisterScript(HKEY_CLASSES_ROOT, AppClassScript(), Replacements());
  HRESULT ui = WkUnregisterScript(HKEY_CLASSES_ROOT, UiClassScript(), Replacements());
  HRESULT ps = qel_register_ps_dll(false);
  return FAILED(hr) ? hr : FAILED(ui) ? ui : ps;
}

Ctest_qel_uiModule& qel_com_module() {
  static Ctest_qel_uiModule module;
  return module;
}
