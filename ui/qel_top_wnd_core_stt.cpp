#include "ui/qel_top_wnd_core_stt.h"

#include "library/qel_app_setting.h"
#include "qel_lib/qel_assert.h"
#include "res/resource.h"
#include "ui/qel_ui_texts.h"
#include "winkit/wk_resource.h"

namespace {

constexpr COLORREF kFaceKey = RGB(213, 204, 187);
constexpr COLORREF kPictureKey = RGB(255, 0, 255);
constexpr COLORREF kPictureText = RGB(30, 30, 130);
constexpr COLORREF kWhite = RGB(255, 255, 255);
const Gdiplus::Color kRecordInfoBack(223, 224, 217);
// Points of the Tahoma the links and labels, and the mode buttons, draw their captions in.
constexpr int kLinkPoints = 10;
constexpr int kModePoints = 8;

RECT to_rect(const UiRect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

const wchar_t* wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text ? text : u"");
}

qel_size_f measure(Gdiplus::Graphics* graphics, Gdiplus::Font* font, const wchar_t* text) {
  Gdiplus::RectF box;
  if (!font || !text ||
      graphics->MeasureString(text, -1, font, Gdiplus::PointF(0, 0), &box) != Gdiplus::Ok)
    return {};
  return {box.Width, box.Height};
}

qel_size_f widest(qel_size_f a, qel_size_f b) {
  return {std::max(a.w, b.w), std::max(a.h, b.h)};
}

// The size a FooButton needs to show its caption whole: the Arial measure the layout is
// drawn to, widened where the button's own font and margins take more (Wine's Tahoma does).
qel_size_f measure_button(Gdiplus::Graphics* graphics,
                          Gdiplus::Font* font,
                          const wchar_t* caption,
                          int points,
                          int kind) {
  qel_size_f arial = measure(graphics, font, caption);
  SIZE drawn = FooButton::MeasureCaption(caption, points);
  qel_size_f fit = {static_cast<float>(foo_fit_width(drawn.cx, kind, kFooTextLeft)),
                    static_cast<float>(drawn.cy)};
  return widest(arial, fit);
}

// The widest and tallest of several captions of one button.
template <class Texts>
qel_size_f measure_widest(Gdiplus::Graphics* graphics,
                          Gdiplus::Font* font,
                          const Texts& texts,
                          int points,
                          int kind) {
  qel_size_f result;
  for (const wchar_t* text : texts)
    result = widest(result, measure_button(graphics, font, text, points, kind));
  return result;
}

}  // namespace

CMyTopWndCoreStt::CMyTopWndCoreStt() = default;

CMyTopWndCoreStt::~CMyTopWndCoreStt() {
  // The painters and buttons must outlive the window's last messages.
  DestroyWindow();
}

void CMyTopWndCoreStt::dojob_init_wnd_params() {
  m_wnd_style = WS_OVERLAPPEDWINDOW;
  m_status_bar_style = WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP;
  m_default_rect = {kQelMainWndDefaultLeft, kQelMainWndDefaultTop,
                    kQelMainWndDefaultLeft + kQelMainWndDefaultWidth,
                    kQelMainWndDefaultTop + kQelMainWndDefaultHeight};
  if (!m_measured)
    dojob_measure_texts();
  m_default_rect.right = m_default_rect.left + qel_main_wnd_default_width(m_texts);
}

bool CMyTopWndCoreStt::dojob_fonts_ready() {
  if (!m_font_10)
    m_font_10 = WkGdiplusFont(L"Arial", 10);
  if (!m_font_12)
    m_font_12 = WkGdiplusFont(L"Arial", 12);
  return m_font_10 && m_font_12;
}

void CMyTopWndCoreStt::dojob_measure_texts() {
  if (!dojob_fonts_ready())
    return;
  HDC screen = GetDC(nullptr);
  {
    Gdiplus::Graphics graphics(screen);
    Gdiplus::Font* f10 = m_font_10.get();
    Gdiplus::Font* f12 = m_font_12.get();
    m_texts.heading = measure(&graphics, f10, qel_text(IDS_ACTIVE_STREAMS));
    m_texts.audio_line = measure(&graphics, f10, qel_text(IDS_AUDIO_STREAMS_FMT));
    m_texts.local_line = measure(&graphics, f10, qel_text(IDS_LOCAL_WEBCAM_FMT));
    m_texts.remote_line = measure(&graphics, f10, qel_text(IDS_REMOTE_WEBCAM_FMT));
    m_texts.folder_line = measure(&graphics, f10, qel_text(IDS_RECORDINGS_SAVED));
    m_texts.here_link =
        measure_button(&graphics, f10, qel_text(IDS_HERE), kLinkPoints, kFooHyperlink);
    m_texts.change_link =
        measure_button(&graphics, f10, qel_text(IDS_CHANGE), kLinkPoints, kFooHyperlink);
    m_texts.video_label =
        measure_button(&graphics, f10, qel_text(IDS_VIDEO_LABEL), kLinkPoints, kFooFlat);
    m_texts.audio_label =
        measure_button(&graphics, f10, qel_text(IDS_AUDIO_LABEL), kLinkPoints, kFooFlat);
    const wchar_t* video_modes[6];
    for (int mode = 1; mode <= 6; ++mode)
      video_modes[mode - 1] = wide(qel_app_setting::static_get_video_settings_str(mode));
    m_texts.video_button = measure_widest(&graphics, f10, video_modes, kModePoints, kFooDropDown);
    const wchar_t* audio_modes[3];
    for (int mode = 2; mode <= 4; ++mode)
      audio_modes[mode - 2] = wide(qel_app_setting::static_get_audio_settings_str(mode));
    m_texts.audio_button = measure_widest(&graphics, f10, audio_modes, kModePoints, kFooDropDown);
    m_texts.recording = measure(&graphics, f12, qel_text(IDS_RECORDING));
    m_texts.counter = measure(&graphics, f12, L"99 : 99 : 99");
    m_texts.no_stream = measure(&graphics, f12, qel_text(IDS_NO_STREAM));
  }
  ReleaseDC(nullptr, screen);
  m_measured = true;
}

float CMyTopWndCoreStt::dojob_measure_list_text(const wchar_t* _text) {
  if (!dojob_fonts_ready())
    return 0;
  HDC screen = GetDC(nullptr);
  float w = 0;
  {
    Gdiplus::Graphics graphics(screen);
    w = measure(&graphics, m_font_10.get(), _text).w;
  }
  ReleaseDC(nullptr, screen);
  return w;
}

void CMyTopWndCoreStt::dojob_layout() {
  dojob_measure_texts();
  RECT client = m_hWnd ? GetClientRect() : RECT{};
  m_layout = qel_compute_main_wnd_layout(m_texts, client.right, client.bottom);
}

bool CMyTopWndCoreStt::dojob_init_buttons() {
  auto make = [this](FooButton* b, const wchar_t* caption, const UiRect& r, UINT id, int kind,
                     DWORD style) {
    if (!b->Create(caption, style, to_rect(r), m_hWnd, id))
      return false;
    b->SetType(kind);
    return true;
  };
  bool ok = true;
  ok = ok && make(&m_button_start_recorder, qel_text(IDS_RECORD), m_layout.record_button,
                  kQelWndRecord, kFooPush, WS_TABSTOP);
  ok = ok && make(&m_button_stop_recorder, qel_text(IDS_STOP_RECORDING), m_layout.stop_button,
                  kQelWndStop, kFooPush, WS_TABSTOP);
  if (!ok)
    return false;
  for (FooButton* b : {&m_button_start_recorder, &m_button_stop_recorder}) {
    b->SetTextStyle(kFooNoText);
    b->SetFocusStyle(0);
  }
  m_button_start_recorder.SetFaceImages(IDB_RECORD_NORMAL, IDB_RECORD_HOT, IDB_RECORD_PRESSED,
                                        kFaceKey);
  m_button_stop_recorder.SetFaceImages(IDB_STOP_NORMAL, IDB_STOP_HOT, IDB_STOP_PRESSED, kFaceKey);

  ok = ok && make(&m_button_here, qel_text(IDS_HERE), m_layout.here_link, kQelWndHere,
                  kFooHyperlink, WS_TABSTOP);
  ok = ok && make(&m_button_change, qel_text(IDS_CHANGE), m_layout.change_link, kQelWndChangeFolder,
                  kFooHyperlink, WS_TABSTOP);
  if (!ok)
    return false;
  for (FooButton* b : {&m_button_here, &m_button_change}) {
    b->SetTextStyle(kFooTextLeft);
    b->SetBackgroundColor(kWhite);
    b->SetTextColor(RGB(0, 0, 0));
    b->SetFontSize(kLinkPoints);
  }

  // Decorative: no tab stop. The pictures carry the text they stand before as their caption,
  // which they do not draw, so that a screen reader has a name for them.
  ok = ok && make(&m_picture_folder, qel_text(IDS_RECORDINGS_SAVED), m_layout.folder_picture,
                  kQelWndInert, kFooFlat, 0);
  ok = ok && make(&m_picture_audio, qel_text(IDS_AUDIO_LABEL), m_layout.audio_picture, kQelWndInert,
                  kFooFlat, 0);
  ok = ok && make(&m_label_audio, qel_text(IDS_AUDIO_LABEL), m_layout.audio_label, kQelWndInert,
                  kFooFlat, 0);
  ok = ok && make(&m_label_video, qel_text(IDS_VIDEO_LABEL), m_layout.video_label, kQelWndInert,
                  kFooFlat, 0);
  if (!ok)
    return false;
  for (FooButton* b : {&m_picture_folder, &m_picture_audio, &m_label_audio, &m_label_video}) {
    b->SetTextStyle(kFooTextLeft);
    b->SetBackgroundColor(kWhite);
    b->SetFontSize(kLinkPoints);
  }
  m_picture_folder.SetTextStyle(kFooNoText);
  m_picture_audio.SetTextStyle(kFooNoText);
  m_picture_folder.SetTextColor(kPictureText);
  m_picture_audio.SetTextColor(kPictureText);
  m_picture_folder.SetPicture(IDB_FOLDER_PICTURE, kPictureKey);
  m_picture_audio.SetPicture(IDB_AUDIO_PICTURE, kPictureKey);

  ok = ok && make(&m_button_audio_mode,
                  wide(qel_app_setting::static_get_audio_settings_str(
                      qel_app_setting::get_output_audio_settings())),
                  m_layout.audio_button, kQelWndAudioButton, kFooDropDown, WS_TABSTOP);
  ok = ok && make(&m_button_video_mode,
                  wide(qel_app_setting::static_get_video_settings_str(
                      qel_app_setting::get_output_video_settings())),
                  m_layout.video_button, kQelWndVideoButton, kFooDropDown, WS_TABSTOP);
  if (!ok)
    return false;
  for (FooButton* b : {&m_button_audio_mode, &m_button_video_mode}) {
    b->SetTextStyle(kFooTextLeft);
    b->SetBackgroundColor(kWhite);
    b->SetTextColor(RGB(0, 0, 0));
    b->SetFontSize(kModePoints);
  }
  return true;
}

void CMyTopWndCoreStt::dojob_destroy_buttons() {
  for (FooButton* b : {&m_button_start_recorder, &m_button_stop_recorder, &m_button_here,
                       &m_button_change, &m_picture_folder, &m_picture_audio, &m_label_audio,
                       &m_label_video, &m_button_audio_mode, &m_button_video_mode})
    b->DestroyWindow();
}

void CMyTopWndCoreStt::dojob_move_controls() {
  auto move = [](WkWnd* w, const UiRect& r) {
    if (w->m_hWnd)
      w->MoveWindow(to_rect(r), true);
  };
  move(&m_button_start_recorder, m_layout.record_button);
  move(&m_button_stop_recorder, m_layout.stop_button);
  move(&m_picture_folder, m_layout.folder_picture);
  move(&m_button_here, m_layout.here_link);
  move(&m_button_change, m_layout.change_link);
  move(&m_picture_audio, m_layout.audio_picture);
  move(&m_button_audio_mode, m_layout.audio_button);
  move(&m_label_audio, m_layout.audio_label);
  move(&m_button_video_mode, m_layout.video_button);
  move(&m_label_video, m_layout.video_label);
  if (m_quick_list.m_hWnd) {
    move(&m_quick_list, m_layout.list);
    dojob_recompute_column_widths();
  }
  if (m_status_bar) {
    const UiRect& r = m_layout.status_bar;
    ::MoveWindow(m_status_bar, r.left, r.top, r.width(), r.height(), TRUE);
    int parts[2] = {m_layout.status_first_part_right, -1};
    SendMessageW(m_status_bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  }
}

bool CMyTopWndCoreStt::dojob_init_skype_info() {
  m_bk_painter_skype_info.SetIds({IDP_PANEL_TL, IDP_PANEL_T, IDP_PANEL_TR, IDP_PANEL_L, IDP_PANEL_C,
                                  IDP_PANEL_R, IDP_PANEL_BL, IDP_PANEL_B, IDP_PANEL_BR});
  m_hbmp_audio_icon.reset(WkLoadBitmap(IDB_STREAM_ICONS));
  return QEL_ASSERT_MSG(m_hbmp_audio_icon, "m_hbmp_audio_icon");
}

void CMyTopWndCoreStt::dojob_destroy_skype_info() {
  m_bk_painter_skype_info.Empty();
  m_hbmp_audio_icon.reset();
}

bool CMyTopWndCoreStt::dojob_init_history_list() {
  bool ok = CMyTopWndCore::dojob_init_history_list();
  m_list_header_bk_painter.SetIds({IDP_HEADER_TL, IDP_HEADER_T, IDP_HEADER_TR, IDP_HEADER_L,
                                   IDP_HEADER_C, IDP_HEADER_R, IDP_HEADER_BL, IDP_HEADER_B,
                                   IDP_HEADER_BR});
  m_list_ctrl_bk_painter.SetIds({IDP_FRAME_TL, IDP_FRAME_T, IDP_FRAME_TR, IDP_FRAME_L, IDP_FRAME_C,
                                 IDP_FRAME_R, IDP_FRAME_BL, IDP_FRAME_B, IDP_FRAME_BR});
  return ok;
}

void CMyTopWndCoreStt::dojob_destroy_history_list_painters() {
  m_list_header_bk_painter.Empty();
  m_list_ctrl_bk_painter.Empty();
}

void CMyTopWndCoreStt::dojob_draw_text(Gdiplus::Graphics* _graphics,
                                       const wchar_t* _text,
                                       Gdiplus::Font* _font,
                                       const UiRect& _rect,
                                       Gdiplus::StringAlignment _align) const {
  if (!_font || !_text)
    return;
  Gdiplus::SolidBrush black(Gdiplus::Color(0, 0, 0));
  Gdiplus::StringFormat format;
  format.SetAlignment(_align);
  format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
  Gdiplus::RectF box(static_cast<Gdiplus::REAL>(_rect.left), static_cast<Gdiplus::REAL>(_rect.top),
                     static_cast<Gdiplus::REAL>(_rect.width()),
                     static_cast<Gdiplus::REAL>(_rect.height()));
  _graphics->DrawString(_text, -1, _font, box, &format, &black);
}

void CMyTopWndCoreStt::dojob_paint_bk(Gdiplus::Graphics* _graphics) {
  if (!QEL_ASSERT(_graphics))
    return;
  RECT client = GetClientRect();
  Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255));
  _graphics->FillRectangle(&white, 0, 0, client.right, client.bottom);
}

void CMyTopWndCoreStt::dojob_paint_skype_info(Gdiplus::Graphics* _graphics) {
  if (!QEL_ASSERT(_graphics) || !dojob_fonts_ready())
    return;
  const UiRect& p = m_layout.stream_panel;
  m_bk_painter_skype_info.Draw(_graphics, p.left, p.top, p.width(), p.height());
  std::unique_ptr<Gdiplus::Bitmap> icons;
  if (m_hbmp_audio_icon)
    icons.reset(Gdiplus::Bitmap::FromHBITMAP(m_hbmp_audio_icon.get(), nullptr));
  if (icons && icons->GetLastStatus() == Gdiplus::Ok) {
    Gdiplus::ImageAttributes white_key;
    white_key.SetColorKey(Gdiplus::Color(255, 255, 255), Gdiplus::Color(255, 255, 255));
    auto icon = [&](const UiRect& at, int source_x) {
      _graphics->DrawImage(icons.get(), Gdiplus::Rect(at.left, at.top, 16, 16), source_x, 0, 16, 16,
                           Gdiplus::UnitPixel, &white_key);
    };
    icon(m_layout.audio_icon, 0);
    icon(m_layout.local_icon, 16);
    icon(m_layout.remote_icon, 16);
  }
  dojob_draw_text(_graphics, qel_text(IDS_ACTIVE_STREAMS), m_font_10.get(), {13, 17, 233, 37},
                  Gdiplus::StringAlignmentNear);
  Gdiplus::StringAlignment left = Gdiplus::StringAlignmentNear;
  dojob_draw_text(_graphics, dojob_audio_stream_text().c_str(), m_font_10.get(),
                  m_layout.audio_text, left);
  dojob_draw_text(_graphics, dojob_local_stream_text().c_str(), m_font_10.get(),
                  m_layout.local_text, left);
  dojob_draw_text(_graphics, dojob_remote_stream_text().c_str(), m_font_10.get(),
                  m_layout.remote_text, left);
}

void CMyTopWndCoreStt::dojob_paint_record_info_bk(Gdiplus::Graphics* _graphics) {
  if (!QEL_ASSERT(_graphics))
    return;
  const UiRect& r = m_layout.record_info;
  Gdiplus::SolidBrush back(kRecordInfoBack);
  _graphics->FillRectangle(&back, r.left, r.top, r.width(), r.height());
}

void CMyTopWndCoreStt::dojob_draw_record_info(Gdiplus::Graphics* _graphics) {
  if (!QEL_ASSERT(_graphics) || !dojob_fonts_ready())
    return;
  switch (m_record_info.mode()) {
    case kQelRecordInfoRecording:
      dojob_draw_text(_graphics, qel_text(IDS_RECORDING), m_font_12.get(), m_layout.recording_text,
                      Gdiplus::StringAlignmentNear);
      dojob_draw_text(_graphics, dojob_elapsed_text().c_str(), m_font_12.get(),
                      m_layout.counter_text, Gdiplus::StringAlignmentNear);
      return;
    case kQelRecordInfoNoStream:
      dojob_draw_text(_graphics, qel_text(IDS_NO_STREAM), m_font_12.get(), m_layout.no_stream_text,
                      Gdiplus::StringAlignmentCenter);
      return;
  }
  QEL_ASSERT_MSG(false, "false");
}

void CMyTopWndCoreStt::dojob_draw_history_list_bk(Gdiplus::Graphics* _graphics) {
  const UiRect& h = m_layout.list_header;
  m_list_header_bk_painter.Draw(_graphics, h.left, h.top, h.width(), h.height());
  const UiRect& f = m_layout.list_frame;
  m_list_ctrl_bk_painter.Draw(_graphics, f.left, f.top, f.width(), f.height());
}

void CMyTopWndCoreStt::dojob_draw_dest_dir_info(Gdiplus::Graphics* _graphics) {
  if (!QEL_ASSERT(_graphics) || !dojob_fonts_ready())
    return;
  dojob_draw_text(_graphics, qel_text(IDS_RECORDINGS_SAVED), m_font_10.get(), m_layout.folder_text,
                  Gdiplus::StringAlignmentNear);
}

RECT CMyTopWndCoreStt::dojob_status_bar_rect() const {
  return to_rect(m_layout.status_bar);
}

RECT CMyTopWndCoreStt::dojob_list_rect() const {
  return to_rect(m_layout.list);
}

RECT CMyTopWndCoreStt::dojob_record_info_rect() const {
  return to_rect(m_layout.record_info);
}

RECT CMyTopWndCoreStt::dojob_stream_panel_rect() const {
  return to_rect(m_layout.stream_panel);
}

int CMyTopWndCoreStt::dojob_status_first_part_right() const {
  return m_layout.status_first_part_right;
}
