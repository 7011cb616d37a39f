#include "ui/foo_button.h"

#include <gtest/gtest.h>

#include <memory>

#include "winkit/testing/window_probe.h"
#include "winkit/wk_frame_wnd.h"

namespace {

constexpr UINT kNormal = 7001, kHot = 7002, kPressed = 7003;
constexpr COLORREF kKey = RGB(213, 204, 187);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT kId = 32780;

class Parent : public WkFrameWnd {
 public:
  int clicks = 0;
  WPARAM last_command = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (msg == WM_COMMAND) {
      ++clicks;
      last_command = wparam;
      return 0;
    }
    return WkFrameWnd::OnMessage(msg, wparam, lparam);
  }
};

class FooButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        parent.CreateFrame(L"foo_test_parent", L"p", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}));
  }
  // A button of the size, white background, no text unless asked.
  std::unique_ptr<FooButton> Make(int kind,
                                  int text_style,
                                  const wchar_t* caption,
                                  int width = 30,
                                  int height = 20) {
    auto button = std::make_unique<FooButton>();
    EXPECT_TRUE(button->Create(caption, 0, RECT{0, 0, width, height}, parent.m_hWnd, kId));
    button->SetType(kind);
    button->SetTextStyle(text_style);
    button->SetBackgroundColor(kWhite);
    return button;
  }
  Parent parent;
};

bool reddish(COLORREF c) {
  return GetRValue(c) > 120 && GetGValue(c) < 90 && GetBValue(c) < 90;
}

// The rightmost column with a pixel of the kind in columns [x0, x1), rows outside
// [skip_y0, skip_y1]; -1 when there is none.
int rightmost(const WkPixels& p, int x0, int x1, int skip_y0, int skip_y1, bool (*is)(COLORREF)) {
  for (int x = x1 - 1; x >= x0; --x)
    for (int y = 0; y < p.height; ++y)
      if ((y < skip_y0 || y > skip_y1) && is(p.at(x, y)))
        return x;
  return -1;
}

// Faces are 10 x 10 with a 2-pixel key ring; in a 30 x 20 button the face sits at (10, 5).
TEST_F(FooButtonTest, FacePerStateWithKeyTransparentAndPressedOffset) {
  auto button = Make(kFooPush, kFooNoText, L"Record");
  button->SetFaceImages(kNormal, kHot, kPressed, kKey);

  WkPixels normal = WkRenderClient(button->m_hWnd);
  EXPECT_EQ(normal.at(12, 7), RGB(200, 0, 0));
  EXPECT_EQ(normal.at(11, 7), kWhite) << "the key ring is transparent";
  EXPECT_EQ(normal.count(kKey), 0);

  SendMessageW(button->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(button->IsHot());
  EXPECT_EQ(WkRenderClient(button->m_hWnd).at(12, 7), RGB(0, 160, 0));

  SendMessageW(button->m_hWnd, BM_SETSTATE, TRUE, 0);
  WkPixels pressed = WkRenderClient(button->m_hWnd);
  EXPECT_EQ(pressed.at(12, 7), kWhite) << "one pixel down and right";
  EXPECT_EQ(pressed.at(13, 8), RGB(0, 0, 200));
  EXPECT_EQ(pressed.at(18, 13), RGB(0, 0, 200));
  EXPECT_EQ(pressed.at(19, 14), kWhite);
  SendMessageW(button->m_hWnd, BM_SETSTATE, FALSE, 0);

  SendMessageW(button->m_hWnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button->IsHot());
  EXPECT_EQ(WkRenderClient(button->m_hWnd).at(12, 7), RGB(200, 0, 0));
}

TEST_F(FooButtonTest, DisabledImageIsGreyed) {
  auto button = Make(kFooPush, kFooNoText, L"");
  button->SetFaceImages(kNormal, kHot, kPressed, kKey);
  button->Enable(false);
  WkPixels pixels = WkRenderClient(button->m_hWnd);
  COLORREF c = pixels.at(12, 7);
  EXPECT_EQ(GetRValue(c), GetGValue(c));
  EXPECT_EQ(GetGValue(c), GetBValue(c));
  EXPECT_NE(c, kWhite);
  EXPECT_EQ(pixels.at(11, 7), kWhite) << "the key stays transparent";
}

TEST_F(FooButtonTest, PictureThatDoesNotLoadLeavesTheButtonBlank) {
  auto button = Make(kFooFlat, kFooNoText, L"");
  button->SetPicture(9999, RGB(255, 0, 255));
  WkPixels pixels = WkRenderClient(button->m_hWnd, RGB(1, 2, 3));
  EXPECT_EQ(pixels.count(kWhite), pixels.width * pixels.height);
}

TEST_F(FooButtonTest, TextStyleZeroDrawsNoText) {
  auto with_caption = Make(kFooFlat, kFooNoText, L"WWWWWW", 80, 20);
  auto without = Make(kFooFlat, kFooTextLeft, L"", 80, 20);
  WkPixels a = WkRenderClient(with_caption->m_hWnd);
  EXPECT_EQ(a.rgb, WkRenderClient(without->m_hWnd).rgb);
  with_caption->SetTextStyle(kFooTextLeft);
  EXPECT_NE(a.rgb, WkRenderClient(with_caption->m_hWnd).rgb) << "style 1 shows it";
}

TEST_F(FooButtonTest, HyperlinkIsBlueWithTheHandCursor) {
  auto link = Make(kFooHyperlink, kFooTextLeft, L"IIII HHHH", 100, 20);
  link->SetTextColor(RGB(0, 0, 0));
  WkPixels pixels = WkRenderClient(link->m_hWnd);
  EXPECT_GT(pixels.count(FooButton::kHyperlinkColor), 0);
  EXPECT_EQ(pixels.count(RGB(0, 0, 0)), 0) << "the text colour gives way to link blue";
  EXPECT_EQ(rightmost(pixels, 0, 5, -1, -1, [](COLORREF c) { return c != kWhite; }), -1)
      << "text starts 5 pixels in";

  EXPECT_TRUE(SendMessageW(link->m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(link->m_hWnd),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
  // A push button keeps the class cursor.
  auto push = Make(kFooPush, kFooTextLeft, L"x");
  EXPECT_FALSE(SendMessageW(push->m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(push->m_hWnd),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) &&
               GetCursor() == LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
}

TEST_F(FooButtonTest, DropDownKindGivesUpSixPixelsOfText) {
  auto plain = Make(kFooFlat, kFooTextCenter, L"IIII", 100, 20);
  auto drop = Make(kFooDropDown, kFooTextCenter, L"IIII", 100, 20);
  for (FooButton* b : {plain.get(), drop.get()}) {
    b->SetTextColor(RGB(200, 0, 0));
    b->SetFaceImages(0, 0, 0, FooButton::kNoKey);
  }
  WkPixels p = WkRenderClient(plain->m_hWnd);
  WkPixels d = WkRenderClient(drop->m_hWnd);
  // Centred in a box 6 pixels narrower: the text sits 3 pixels further left. The mark
  // (middle rows, right end) is left out.
  int plain_end = rightmost(p, 0, 90, -1, -1, reddish);
  int drop_end = rightmost(d, 0, 90, -1, -1, reddish);
  ASSERT_GT(plain_end, 50);
  EXPECT_EQ(plain_end - drop_end, 3);
  EXPECT_EQ(rightmost(p, 90, 100, -1, -1, reddish), -1);
  EXPECT_NE(rightmost(d, 90, 100, -1, -1, reddish), -1) << "the drop-down mark";
}

TEST_F(FooButtonTest, DisabledTextIsDrawnTwice) {
  auto label = Make(kFooFlat, kFooTextLeft, L"IIIIIIII", 80, 20);
  label->Enable(false);
  WkPixels pixels = WkRenderClient(label->m_hWnd, RGB(0, 0, 0));
  COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  COLORREF highlight = GetSysColor(COLOR_3DHILIGHT);
  EXPECT_GT(pixels.count(grey), 0);
  // The highlight copy shows one pixel right of a grey stem.
  bool offset_copy = false;
  for (int y = 0; y < pixels.height && !offset_copy; ++y)
    for (int x = 0; x + 1 < pixels.width; ++x)
      if (pixels.at(x, y) == grey && pixels.at(x + 1, y + 1) == highlight && highlight != kWhite)
        offset_copy = true;
  if (highlight != kWhite) {
    EXPECT_TRUE(offset_copy);
  }
}

TEST_F(FooButtonTest, ClickAndKeysPublishTheCommandId) {
  auto button = Make(kFooPush, kFooTextCenter, L"Record");
  SendMessageW(button->m_hWnd, BM_CLICK, 0, 0);
  EXPECT_EQ(parent.clicks, 1);
  EXPECT_EQ(parent.last_command, MAKEWPARAM(kId, BN_CLICKED));

  SetFocus(button->m_hWnd);
  SendMessageW(button->m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(parent.clicks, 2);
  SendMessageW(button->m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(button->m_hWnd, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(parent.clicks, 3);
}

TEST_F(FooButtonTest, FocusMarkOnlyForKeyboardUsers) {
  auto button = Make(kFooFlat, kFooNoText, L"", 40, 20);
  auto other = Make(kFooFlat, kFooNoText, L"", 40, 20);
  WkPixels unfocused = WkRenderClient(button->m_hWnd);
  SetFocus(button->m_hWnd);
  SendMessageW(button->m_hWnd, WM_LBUTTONDOWN, 0, 0);
  SendMessageW(button->m_hWnd, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(WkRenderClient(button->m_hWnd).rgb, unfocused.rgb) << "focus style 0, mouse user";
  // The focus arrives by Tab: the key's release lands on the button.
  SendMessageW(button->m_hWnd, WM_KEYUP, VK_TAB, 0);
  EXPECT_NE(WkRenderClient(button->m_hWnd).rgb, unfocused.rgb);
}

TEST_F(FooButtonTest, ShowMenuReturnsTheChosenCommand) {
  auto button = Make(kFooDropDown, kFooTextLeft, L"Both");
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 32807, L"Microphone Only");
  AppendMenuW(popup, MF_STRING, 32808, L"Speaker Only");
  // The keys wait in the queue; the menu's own loop reads them: second item, then choose.
  HWND owner = GetAncestor(button->m_hWnd, GA_ROOT);
  PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(button->ShowMenu(popup), 32808u);
  EXPECT_EQ(parent.clicks, 0) << "the choice is returned, not sent";
  PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(button->ShowMenu(popup), 0u);
  DestroyMenu(popup);
}

TEST(FooButtonGradient, LoadedWithTheFirstButtonReleasedWithTheLast) {
  EXPECT_FALSE(FooButton::GradientFillLoaded());
  auto first = std::make_unique<FooButton>();
  EXPECT_TRUE(FooButton::GradientFillLoaded());
  auto second = std::make_unique<FooButton>();
  first.reset();
  EXPECT_TRUE(FooButton::GradientFillLoaded());
  second.reset();
  EXPECT_FALSE(FooButton::GradientFillLoaded());
}

}  // namespace
