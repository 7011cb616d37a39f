#include "winkit/wk_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "winkit/testing/window_probe.h"
#include "winkit/wk_app.h"

namespace {

constexpr int kEditId = 500;

// An in-memory template: an edit and OK / Cancel buttons.
class TemplateBuilder {
 public:
  TemplateBuilder() {
    DLGTEMPLATE head = {};
    head.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    head.cx = 160;
    head.cy = 60;
    Append(&head, sizeof head);
    Word(0), Word(0), Text(L"dialog");  // no menu, default class, title
  }
  TemplateBuilder& Item(const wchar_t* cls, int id, DWORD style, short x) {
    Align();
    DLGITEMTEMPLATE item = {};
    item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style;
    item.x = x;
    item.y = 10;
    item.cx = 40;
    item.cy = 14;
    item.id = static_cast<WORD>(id);
    Append(&item, sizeof item);
    Text(cls), Text(L"t"), Word(0);
    ++reinterpret_cast<DLGTEMPLATE*>(m_bytes.data())->cdit;
    return *this;
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }

 private:
  void Append(const void* p, size_t n) {
    auto* b = static_cast<const unsigned char*>(p);
    m_bytes.insert(m_bytes.end(), b, b + n);
  }
  void Word(WORD w) { Append(&w, sizeof w); }
  void Text(const wchar_t* s) { Append(s, (wcslen(s) + 1) * sizeof(wchar_t)); }
  void Align() {
    while (m_bytes.size() % 4)
      m_bytes.push_back(0);
  }
  std::vector<unsigned char> m_bytes;
};

const DLGTEMPLATE* test_template() {
  static TemplateBuilder builder = [] {
    TemplateBuilder b;
    b.Item(L"EDIT", kEditId, WS_BORDER, 5).Item(L"BUTTON", IDOK, BS_DEFPUSHBUTTON, 50);
    b.Item(L"BUTTON", IDCANCEL, BS_PUSHBUTTON, 100);
    return b;
  }();
  return builder.get();
}

class TestDialog : public WkDialog {
 public:
  bool end_at_once = false;
  int inits = 0;
  int cancels = 0;

 protected:
  BOOL OnInitDialog() override {
    ++inits;
    SetDlgItemText(kEditId, L"from init");
    if (end_at_once)
      PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
  }
  void OnCancel() override {
    ++cancels;
    WkDialog::OnCancel();
  }
};

MSG key_down(HWND hwnd, WPARAM key) {
  MSG msg = {};
  msg.hwnd = hwnd;
  msg.message = WM_KEYDOWN;
  msg.wParam = key;
  return msg;
}

// Runs the loop the way WkApp::Run does, for a while.
void run_app_loop(WkApp& app, DWORD ms) {
  DWORD until = GetTickCount() + ms;
  MSG msg;
  while (GetTickCount() < until) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (app.PreTranslateMessage(&msg))
        continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
}

TEST(WkDialog, ModalRunsInitAndEndsWithItsResult) {
  TestDialog dialog;
  dialog.end_at_once = true;
  EXPECT_EQ(dialog.DoModalIndirect(test_template(), nullptr), IDOK);
  EXPECT_EQ(dialog.inits, 1);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.DoModalIndirect(nullptr, nullptr), -1);
}

TEST(WkDialog, ModelessGetsKeyboardHandlingThroughTheLoop) {
  WkApp app;
  TestDialog dialog;
  ASSERT_TRUE(dialog.CreateModelessIndirect(test_template(), nullptr));
  EXPECT_FALSE(dialog.CreateModelessIndirect(test_template(), nullptr)) << "one window";
  EXPECT_EQ(WkReadDlgItemText(dialog.m_hWnd, kEditId), L"from init");
  HWND edit = dialog.GetDlgItem(kEditId);

  // Escape typed into the edit reaches the dialog only through IsDialogMessage.
  MSG escape = key_down(edit, VK_ESCAPE);
  EXPECT_TRUE(app.PreTranslateMessage(&escape));
  run_app_loop(app, 100);
  EXPECT_EQ(dialog.cancels, 1);
  EXPECT_EQ(dialog.m_hWnd, nullptr) << "a modeless dialog ends by going away";

  // After the window is gone the loop no longer offers it messages.
  MSG stale = key_down(edit, VK_ESCAPE);
  EXPECT_FALSE(app.PreTranslateMessage(&stale));
  // And it can be created again.
  ASSERT_TRUE(dialog.CreateModelessIndirect(test_template(), nullptr));
  EXPECT_EQ(dialog.inits, 2);
}

TEST(WkDialog, MissingTemplateFailsCleanly) {
  TestDialog dialog;
  EXPECT_FALSE(dialog.CreateModeless(31999, nullptr));
  EXPECT_EQ(dialog.DoModal(31999, nullptr), -1);
  EXPECT_EQ(dialog.inits, 0);
}

}  // namespace
