#include "platform/win32/hidden_window.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kPing = WM_APP + 7;

TEST(HiddenWindow, MessagesReachTheProcedureUntilDestroyed) {
  int pings = 0;
  platform::HiddenWindow window;
  ASSERT_TRUE(window.Create(L"qel_test_hidden", 0, HWND_MESSAGE,
                            [&](HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) -> LRESULT {
                              if (msg == kPing)
                                return ++pings;
                              return DefWindowProcW(hwnd, msg, wparam, lparam);
                            }));
  EXPECT_FALSE(IsWindowVisible(window.hwnd()));
  EXPECT_EQ(SendMessageW(window.hwnd(), kPing, 0, 0), 1);
  EXPECT_FALSE(window.Create(L"qel_test_hidden", 0, HWND_MESSAGE, nullptr)) << "one window";
  HWND hwnd = window.hwnd();
  window.Destroy();
  EXPECT_EQ(window.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(pings, 1);
}

TEST(HiddenWindow, TopLevelOnesAreFoundByClassEvenAfterTheClassWasUnregistered) {
  for (int round = 0; round < 2; ++round) {
    platform::HiddenWindow window;
    ASSERT_TRUE(window.Create(L"qel_test_found", WS_POPUP | WS_DISABLED, nullptr, nullptr));
    EXPECT_EQ(FindWindowA("qel_test_found", nullptr), window.hwnd());
    window.Destroy();
    // The application unregisters its class at the end; a later start registers it again.
    UnregisterClassW(L"qel_test_found", GetModuleHandleW(nullptr));
  }
  EXPECT_EQ(FindWindowA("qel_test_found", nullptr), nullptr);
}

TEST(WindowClass, RegistrationNeedsAName) {
  EXPECT_FALSE(platform::register_window_class(nullptr));
  EXPECT_FALSE(platform::register_window_class(L""));
  EXPECT_TRUE(platform::register_window_class(L"qel_test_twice"));
  EXPECT_TRUE(platform::register_window_class(L"qel_test_twice"));
}

}  // namespace
