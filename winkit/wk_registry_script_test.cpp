#include "winkit/wk_registry_script.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/scoped_handle.h"

namespace {

// A scratch root of our own below HKEY_CURRENT_USER, removed afterwards.
class WkRegistryScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = L"Software\\qel-wk-regscript-" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    HKEY root = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &root, nullptr),
              ERROR_SUCCESS);
    root_.reset(root);
  }
  void TearDown() override {
    root_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  bool Exists(const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root_.get(), key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
      return false;
    platform::ScopedRegKey opened(k);
    return true;
  }
  std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t data[512] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(root_.get(), key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size))
      return L"<none>";
    return data;
  }
  void Create(const std::wstring& key) {
    HKEY k = nullptr;
    RegCreateKeyExW(root_.get(), key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    platform::ScopedRegKey created(k);
  }

  static WkRegKey Key(std::wstring name, std::wstring value) {
    WkRegKey k;
    k.name = std::move(name);
    k.has_default = true;
    k.default_value = std::move(value);
    return k;
  }
  static WkRegistryScript Script() {
    WkRegKey prog = Key(L"Prog.1", L"Title");
    prog.children = {Key(L"CLSID", L"{X}")};
    WkRegKey exe;
    exe.name = L"exe";
    exe.values = {{L"AppID", L"%APPID%"}};
    WkRegKey app_ids;
    app_ids.name = L"AppID";
    app_ids.removal = WkRegKey::kNoRemove;
    app_ids.children = {Key(L"%APPID%", L"name"), exe};
    WkRegKey cls = Key(L"{X}", L"Class");
    cls.removal = WkRegKey::kForceRemove;
    cls.values = {{L"AppID", L"%APPID%"}};
    cls.children = {Key(L"LocalServer32", L"\"%MODULE%\" at %MODULE%")};
    WkRegKey clsids;
    clsids.name = L"CLSID";
    clsids.removal = WkRegKey::kNoRemove;
    clsids.children = {cls};
    return {prog, app_ids, clsids};
  }
  const WkRegReplacements kReplacements = {{L"%MODULE%", L"C:\\p.exe"}, {L"%APPID%", L"{A}"}};

  std::wstring path_;
  platform::ScopedRegKey root_;
};

// The written keys themselves are checked against the real registration end to end.
TEST_F(WkRegistryScriptTest, RegisterReplacesForcedKeysAndExpandsPlaceholders) {
  Create(L"CLSID\\{X}\\stale");
  ASSERT_EQ(WkRegisterScript(root_.get(), Script(), kReplacements), S_OK);
  EXPECT_EQ(Value(L"CLSID\\{X}\\LocalServer32"), L"\"C:\\p.exe\" at C:\\p.exe");
  EXPECT_EQ(Value(L"AppID\\exe", L"AppID"), L"{A}");
  EXPECT_EQ(Value(L"AppID\\exe"), L"<none>") << "no default value where the script has none";
  EXPECT_FALSE(Exists(L"CLSID\\{X}\\stale")) << "a forced key is replaced whole";
}

TEST_F(WkRegistryScriptTest, UnregisterRemovesOnlyWhatTheScriptOwns) {
  ASSERT_EQ(WkRegisterScript(root_.get(), Script(), kReplacements), S_OK);
  Create(L"AppID\\foreign");
  Create(L"CLSID\\{X}\\added later");
  Create(L"CLSID\\{Y}");
  ASSERT_EQ(WkUnregisterScript(root_.get(), Script(), kReplacements), S_OK);
  EXPECT_FALSE(Exists(L"Prog.1"));
  EXPECT_FALSE(Exists(L"AppID\\{A}"));
  EXPECT_FALSE(Exists(L"AppID\\exe"));
  EXPECT_TRUE(Exists(L"AppID\\foreign")) << "the AppID key is never removed whole";
  EXPECT_FALSE(Exists(L"CLSID\\{X}")) << "class keys go whole";
  EXPECT_TRUE(Exists(L"CLSID\\{Y}"));
  // A key that still holds keys from elsewhere stays; a second removal is harmless.
  ASSERT_EQ(WkRegisterScript(root_.get(), Script(), kReplacements), S_OK);
  Create(L"Prog.1\\foreign");
  EXPECT_EQ(WkUnregisterScript(root_.get(), Script(), kReplacements), S_OK);
  EXPECT_TRUE(Exists(L"Prog.1\\foreign"));
  EXPECT_FALSE(Exists(L"Prog.1\\CLSID"));
  EXPECT_EQ(WkUnregisterScript(root_.get(), Script(), kReplacements), S_OK);
}

}  // namespace
