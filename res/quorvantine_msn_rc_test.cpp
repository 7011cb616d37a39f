// Loads the program's resources the way its windows do and checks what a user would see:
// sizes and key colours of the artwork, menu texts and commands, dialog layouts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win.h"
#include "res/resource.h"

#include <commctrl.h>
#include <objidl.h>
#include <ole2.h>
#include <shlwapi.h>

#include <gdiplus.h>

namespace {

// The resource types by number: the RT_ names are 8-bit strings in this build.
const wchar_t* const kIconType = MAKEINTRESOURCEW(3);
const wchar_t* const kGroupIconType = MAKEINTRESOURCEW(14);

HINSTANCE module() {
  return GetModuleHandleW(nullptr);
}

struct Dib {
  int width = 0, height = 0, bits = 0;
  std::vector<COLORREF> pixels;  // top-down
  COLORREF at(int x, int y) const { return pixels[y * width + x]; }
};

Dib load_bitmap(int id) {
  Dib dib;
  HBITMAP bmp = static_cast<HBITMAP>(
      LoadImageW(module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bmp)
    return dib;
  DIBSECTION ds;
  GetObjectW(bmp, sizeof(ds), &ds);
  dib.width = ds.dsBm.bmWidth;
  dib.height = ds.dsBm.bmHeight;
  dib.bits = ds.dsBm.bmBitsPixel;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  for (int y = 0; y < dib.height; ++y)
    for (int x = 0; x < dib.width; ++x)
      dib.pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
  return dib;
}

TEST(ProgramResources, BitmapsHaveTheirSizesAndKeyColours) {
  const COLORREF face_key = RGB(213, 204, 187);
  const COLORREF magenta = RGB(255, 0, 255);
  struct Case {
    int id, width, height;
    COLORREF corner;
  } cases[] = {
      {IDB_ABOUT_BANNER, 294, 43, RGB(223, 224, 217)},
      {IDB_FOLDER_PICTURE, 12, 12, magenta},
      {IDB_AUDIO_PICTURE, 12, 12, magenta},
      {IDB_RECORD_NORMAL, 48, 48, face_key},
      {IDB_RECORD_HOT, 48, 48, face_key},
      {IDB_RECORD_PRESSED, 48, 48, face_key},
      {IDB_STOP_NORMAL, 48, 48, face_key},
      {IDB_STOP_HOT, 48, 48, face_key},
      {IDB_STOP_PRESSED, 48, 48, face_key},
      {IDB_HISTORY_MARKS, 48, 16, RGB(0, 0, 0)},
      {IDB_STREAM_ICONS, 32, 16, RGB(255, 255, 255)},
  };
  for (const Case& c : cases) {
    Dib dib = load_bitmap(c.id);
    EXPECT_EQ(dib.width, c.width) << c.id;
    EXPECT_EQ(dib.height, c.height) << c.id;
    EXPECT_EQ(dib.bits, 24) << c.id;
    if (dib.pixels.empty())
      continue;
    EXPECT_EQ(dib.at(0, 0), c.corner) << c.id;
    EXPECT_EQ(dib.at(c.width - 1, c.height - 1), c.corner) << c.id;
    // A picture has something besides its key.
    int drawn = 0;
    for (COLORREF p : dib.pixels)
      drawn += p != c.corner;
    EXPECT_GT(drawn, c.width * c.height / 8) << c.id;
  }
}

TEST(ProgramResources, FacesAreRedForRecordAndDarkGreyForStop) {
  for (int id : {IDB_RECORD_NORMAL, IDB_RECORD_HOT, IDB_RECORD_PRESSED}) {
    COLORREF centre = load_bitmap(id).at(24, 24);
    EXPECT_GT(GetRValue(centre), 150) << id;
    EXPECT_GT(GetRValue(centre), GetGValue(centre) + 80) << id;
  }
  for (int id : {IDB_STOP_NORMAL, IDB_STOP_HOT, IDB_STOP_PRESSED}) {
    COLORREF centre = load_bitmap(id).at(24, 24);
    EXPECT_LT(GetRValue(centre), 130) << id;
    EXPECT_LT(abs(GetRValue(centre) - GetBValue(centre)), 20) << id;
  }
}

TEST(ProgramResources, HistoryMarksKeepTheirKeyOutOfTheDrawing) {
  Dib marks = load_bitmap(IDB_HISTORY_MARKS);
  ASSERT_EQ(marks.width, 48);
  // The third image (a recording cut short) is drawn and leaves mask colour around it; the
  // audio and video marks have no black inside them that the mask would punch out of the middle.
  int drawn = 0, keyed = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 32; x < 48; ++x)
      ++(marks.at(x, y) == RGB(0, 0, 0) ? keyed : drawn);
  EXPECT_GT(drawn, 16 * 16 / 8);
  EXPECT_GT(keyed, 0);
  EXPECT_NE(marks.at(3, 8), RGB(0, 0, 0));       // speaker body
  EXPECT_NE(marks.at(16 + 5, 8), RGB(0, 0, 0));  // camera light
}

TEST(ProgramResources, IconsComeInEverySize) {
  struct Case {
    int id;
    std::vector<int> sizes;
  } cases[] = {{IDI_MAIN, {16, 20, 24, 32, 48, 256}},
               {IDI_TRAY_STILL, {16, 20, 24, 32, 48}},
               {IDI_TRAY_BLINK, {16, 20, 24, 32, 48}}};
  for (const Case& c : cases) {
    HRSRC group = FindResourceW(module(), MAKEINTRESOURCEW(c.id), kGroupIconType);
    ASSERT_NE(group, nullptr) << c.id;
    auto* dir = static_cast<BYTE*>(LockResource(LoadResource(module(), group)));
    for (int size : c.sizes) {
      // The exact size is in the icon, not stretched from another one.
      int entry = LookupIconIdFromDirectoryEx(dir, TRUE, size, size, LR_DEFAULTCOLOR);
      HRSRC image = FindResourceW(module(), MAKEINTRESOURCEW(entry), kIconType);
      ASSERT_NE(image, nullptr) << c.id << " " << size;
      HICON icon = CreateIconFromResourceEx(
          static_cast<BYTE*>(LockResource(LoadResource(module(), image))),
          SizeofResource(module(), image), TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
      ASSERT_NE(icon, nullptr) << c.id << " " << size;
      ICONINFO info;
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP bm;
      GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
      EXPECT_EQ(bm.bmWidth, size) << c.id;
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
    HICON small = static_cast<HICON>(
        LoadImageW(module(), MAKEINTRESOURCEW(c.id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    EXPECT_NE(small, nullptr) << c.id;
    DestroyIcon(small);
  }
}

class GdiPlus : public testing::Test {
 protected:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
  }
  void TearDown() override { Gdiplus::GdiplusShutdown(token_); }
  ULONG_PTR token_ = 0;
};

TEST_F(GdiPlus, PngPiecesDecodeAtTheirSizes) {
  struct Set {
    std::vector<int> ids;
    UINT size;
  } sets[] = {
      {{IDP_PANEL_TL, IDP_PANEL_T, IDP_PANEL_TR, IDP_PANEL_L, IDP_PANEL_C, IDP_PANEL_R,
        IDP_PANEL_BL, IDP_PANEL_B, IDP_PANEL_BR},
       8},
      {{IDP_HEADER_TL, IDP_HEADER_T, IDP_HEADER_TR, IDP_HEADER_L, IDP_HEADER_C, IDP_HEADER_R,
        IDP_HEADER_BL, IDP_HEADER_B, IDP_HEADER_BR},
       8},
      {{IDP_FRAME_TL, IDP_FRAME_T, IDP_FRAME_TR, IDP_FRAME_L, IDP_FRAME_C, IDP_FRAME_R,
        IDP_FRAME_BL, IDP_FRAME_B, IDP_FRAME_BR},
       2},
  };
  for (const Set& set : sets) {
    for (int id : set.ids) {
      HRSRC res = FindResourceW(module(), MAKEINTRESOURCEW(id), L"PNG");
      ASSERT_NE(res, nullptr) << id;
      auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module(), res)));
      IStream* stream = SHCreateMemStream(bytes, SizeofResource(module(), res));
      ASSERT_NE(stream, nullptr);
      Gdiplus::Bitmap* bmp = Gdiplus::Bitmap::FromStream(stream);
      ASSERT_NE(bmp, nullptr) << id;
      EXPECT_EQ(bmp->GetLastStatus(), Gdiplus::Ok) << id;
      EXPECT_EQ(bmp->GetWidth(), set.size) << id;
      EXPECT_EQ(bmp->GetHeight(), set.size) << id;
      delete bmp;
      stream->Release();
    }
  }
  // The panel's centre is the panel colour, its outer corner transparent over the window.
  HRSRC res = FindResourceW(module(), MAKEINTRESOURCEW(IDP_PANEL_C), L"PNG");
  IStream* stream =
      SHCreateMemStream(static_cast<const BYTE*>(LockResource(LoadResource(module(), res))),
                        SizeofResource(module(), res));
  Gdiplus::Bitmap* centre = Gdiplus::Bitmap::FromStream(stream);
  Gdiplus::Color colour;
  centre->GetPixel(4, 4, &colour);
  EXPECT_EQ(colour.GetValue(), Gdiplus::Color(255, 223, 224, 217).GetValue());
  delete centre;
  stream->Release();
}

struct Item {
  UINT id;  // 0 for a separator
  std::wstring text;
};

std::vector<Item> items_of(HMENU menu) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 127;
    GetMenuItemInfoW(menu, i, TRUE, &info);
    items.push_back({(info.fType & MFT_SEPARATOR) ? 0 : info.wID, text});
  }
  return items;
}

void expect_items(HMENU menu, const std::vector<Item>& expected, int menu_id) {
  std::vector<Item> got = items_of(menu);
  ASSERT_EQ(got.size(), expected.size()) << menu_id;
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].id, expected[i].id) << menu_id << " item " << i;
    EXPECT_EQ(got[i].text, expected[i].text) << menu_id << " item " << i;
  }
}

TEST(ProgramResources, MenusHoldTheirTextsAndCommands) {
  HMENU bar = LoadMenuW(module(), MAKEINTRESOURCEW(IDR_MAIN_MENU));
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  wchar_t title[64];
  GetMenuStringW(bar, 0, title, 64, MF_BYPOSITION);
  EXPECT_STREQ(title, L"File (&F)");
  GetMenuStringW(bar, 1, title, 64, MF_BYPOSITION);
  EXPECT_STREQ(title, L"Help (&H)");
  expect_items(GetSubMenu(bar, 0),
               {{32780, L"Record (&R)"},
                {32776, L"Stop Recording (&S)"},
                {0, L""},
                {32790, L"Open Recording Folder (&D)"},
                {0, L""},
                {32781, L"Exit (&X)"}},
               IDR_MAIN_MENU);
  expect_items(GetSubMenu(bar, 1),
               {{40002, L"Options  (&O)"},
                {0, L""},
                {32804, L"Check for Updates (&U)"},
                {32787, L"Report An Issue (&I)"},
                {32786, L"Get More Features (&F)"},
                {0, L""},
                {32773, L"Help (&H)"},
                {32785, L"About (&A)"}},
               IDR_MAIN_MENU);
  DestroyMenu(bar);

  struct Popup {
    int id;
    std::vector<Item> items;
  } popups[] = {
      {2048,
       {{32782, L"Open Main Window (&O)"},
        {32780, L"Record (&R)"},
        {32776, L"Stop Recording (&S)"},
        {0, L""},
        {32781, L"Exit (&X)"}}},
      {2057, {{32770, L"Play (&P)"}, {32771, L"Delete (&D)"}}},
      {2159,
       {{32807, L"Microphone Only (&M)"}, {32808, L"Speaker Only (&S)"}, {32810, L"Both (&B)"}}},
      {142,
       {{32811, L"None (Audio Only) (&N)"},
        {32815, L"Picture-in-Picture (&P)"},
        {32816, L"Side-by-Side (&S)"},
        {32813, L"Local Webcam Only (&L)"},
        {32812, L"Remote Webcam Only (&R)"},
        {40004, L"Separate Files (&T)"}}},
  };
  for (const Popup& p : popups) {
    HMENU menu = LoadMenuW(module(), MAKEINTRESOURCEW(p.id));
    ASSERT_NE(menu, nullptr) << p.id;
    EXPECT_EQ(GetMenuItemCount(menu), 1) << p.id;  // the popup is the first submenu
    expect_items(GetSubMenu(menu, 0), p.items, p.id);
    DestroyMenu(menu);
  }
}

INT_PTR CALLBACK quiet_dialog(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

class Dialogs : public testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             module(), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    if (dialog_)
      DestroyWindow(dialog_);
    DestroyWindow(owner_);
  }
  HWND create(int id) {
    dialog_ = CreateDialogParamW(module(), MAKEINTRESOURCEW(id), owner_, quiet_dialog, 0);
    return dialog_;
  }
  std::wstring text(HWND hwnd) {
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd, buf, 256);
    return buf;
  }
  std::wstring class_of(HWND hwnd) {
    wchar_t buf[64] = {};
    GetClassNameW(hwnd, buf, 64);
    return buf;
  }
  // The control's rectangle in dialog units as the template gives it.
  RECT template_rect(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // Position and size are converted apart, as the dialog manager does.
  RECT dlu(int x, int y, int w, int h) {
    RECT origin = {x, y, w, h};
    MapDialogRect(dialog_, &origin);
    return {origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
  }
  std::wstring font_face() {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    GetObjectW(font, sizeof(lf), &lf);
    return lf.lfFaceName;
  }
  HWND owner_ = nullptr;
  HWND dialog_ = nullptr;
};

TEST_F(Dialogs, DownloadIsLaidOutAsItsTable) {
  ASSERT_NE(create(IDD_DOWNLOAD), nullptr);
  EXPECT_EQ(text(dialog_), L"Download");
  EXPECT_EQ(font_face(), L"Tahoma");
  LONG style = GetWindowLongW(dialog_, GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE),
            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongW(dialog_, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  RECT client;
  GetClientRect(dialog_, &client);
  RECT size = dlu(0, 0, 250, 78);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  struct Control {
    int id;
    const wchar_t* cls;
    const wchar_t* text;
    int x, y, w, h;
  } controls[] = {
      {1, L"Button", L"&Yes", 140, 55, 50, 16},
      {2, L"Button", L"&Cancel", 195, 55, 50, 16},
      {1003, L"Static", L"Downloading...", 7, 5, 238, 12},
      {1002, L"msctls_progress32", L"", 7, 39, 238, 11},
      {1004, L"Static", L"%d of %d KBytes downloaded", 70, 23, 89, 8},
      {2005, L"Static", L"", 9, 7, 21, 20},
      {2007, L"Button", L"download hyper link(using a foobutton)", 7, 56, 123, 12},
  };
  for (const Control& c : controls) {
    HWND control = GetDlgItem(dialog_, c.id);
    ASSERT_NE(control, nullptr) << c.id;
    EXPECT_EQ(_wcsicmp(class_of(control).c_str(), c.cls), 0) << c.id;
    EXPECT_EQ(text(control), c.text) << c.id;
    RECT got = template_rect(control), want = dlu(c.x, c.y, c.w, c.h);
    EXPECT_EQ(got.left, want.left) << c.id;
    EXPECT_EQ(got.top, want.top) << c.id;
    if (c.id == IDC_DOWNLOAD_ICON)
      continue;  // an icon static takes the size of its icon
    EXPECT_EQ(got.right, want.right) << c.id;
    EXPECT_EQ(got.bottom, want.bottom) << c.id;
  }
  EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog_, 2007), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog_, 2005), GWL_STYLE) & SS_TYPEMASK, SS_ICON);
}

TEST_F(Dialogs, MessageBoxShowsOnlyOk) {
  ASSERT_NE(create(IDD_MESSAGE_BOX), nullptr);
  EXPECT_EQ(text(dialog_), L"Dialog");
  EXPECT_EQ(font_face(), L"Tahoma");
  for (int id : {IDC_MSGBOX_ICON, IDC_MSGBOX_LINE1, IDC_MSGBOX_LINE2, IDC_MSGBOX_OK})
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog_, id))) << id;
  for (int id : {IDC_MSGBOX_CANCEL, IDC_MSGBOX_RETRY}) {
    ASSERT_NE(GetDlgItem(dialog_, id), nullptr) << id;
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog_, id))) << id;
  }
}

TEST_F(Dialogs, AboutShowsTheBannerAndTheLinkButton) {
  ASSERT_NE(create(IDD_ABOUT), nullptr);
  EXPECT_EQ(text(dialog_), L"About");
  EXPECT_EQ(font_face(), L"Tahoma");
  HWND picture = GetDlgItem(dialog_, IDC_ABOUT_PICTURE);
  ASSERT_NE(picture, nullptr);
  EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_NOTICE, IDC_ABOUT_HOME_PAGE_LABEL, IDC_ABOUT_BLANK,
                 IDC_ABOUT_LINK, IDOK})
    EXPECT_NE(GetDlgItem(dialog_, id), nullptr) << id;
  EXPECT_EQ(text(GetDlgItem(dialog_, IDC_ABOUT_HOME_PAGE_LABEL)), L"Home Page:");
  EXPECT_EQ(text(GetDlgItem(dialog_, IDC_ABOUT_BLANK)), L"   ");
  EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog_, IDC_ABOUT_LINK), GWL_STYLE) & BS_TYPEMASK,
            BS_OWNERDRAW);
}

TEST_F(Dialogs, OptionsIsAnEmptyFrame) {
  ASSERT_NE(create(IDD_OPTIONS), nullptr);
  EXPECT_EQ(text(dialog_), L"Options");
  EXPECT_EQ(GetWindow(dialog_, GW_CHILD), nullptr);
}

}  // namespace
