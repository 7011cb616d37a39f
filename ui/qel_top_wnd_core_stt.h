// The main window as the user sees it: measured texts, the rectangles of every part, the
// owner-drawn buttons and links, and the skinned painting from PNG pieces.
#pragma once

#include <memory>

#include "ui/core/qel_main_wnd_layout.h"
#include "ui/nine_patch_painter.h"
#include "ui/qel_top_wnd_core.h"
#include "winkit/wk_gdi.h"

class CMyTopWndCoreStt : public CMyTopWndCore {
 public:
  CMyTopWndCoreStt();
  ~CMyTopWndCoreStt() override;

  const qel_main_wnd_layout& get_layout() const { return m_layout; }

 protected:
  void dojob_init_wnd_params() override;
  bool dojob_init_buttons() override;
  void dojob_destroy_buttons() override;
  void dojob_paint_bk(Gdiplus::Graphics* _graphics) override;
  void dojob_layout() override;
  void dojob_move_controls() override;
  bool dojob_init_skype_info() override;
  void dojob_destroy_skype_info() override;
  void dojob_paint_skype_info(Gdiplus::Graphics* _graphics) override;
  void dojob_paint_record_info_bk(Gdiplus::Graphics* _graphics) override;
  bool dojob_init_history_list() override;
  void dojob_destroy_history_list_painters() override;
  void dojob_draw_history_list_bk(Gdiplus::Graphics* _graphics) override;
  void dojob_draw_dest_dir_info(Gdiplus::Graphics* _graphics) override;
  void dojob_measure_texts() override;
  void dojob_draw_record_info(Gdiplus::Graphics* _graphics) override;
  RECT dojob_status_bar_rect() const override;
  RECT dojob_list_rect() const override;
  RECT dojob_record_info_rect() const override;
  RECT dojob_stream_panel_rect() const override;
  int dojob_status_first_part_right() const override;
  float dojob_measure_list_text(const wchar_t* _text) override;

 private:
  void dojob_draw_text(Gdiplus::Graphics* _graphics,
                       const wchar_t* _text,
                       Gdiplus::Font* _font,
                       const UiRect& _rect,
                       Gdiplus::StringAlignment _align) const;
  bool dojob_fonts_ready();

  qel_main_wnd_texts m_texts;
  qel_main_wnd_layout m_layout;
  bool m_measured = false;
  std::unique_ptr<Gdiplus::Font> m_font_10;
  std::unique_ptr<Gdiplus::Font> m_font_12;
  NinePatchPainter m_bk_painter_skype_info;
  NinePatchPainter m_list_header_bk_painter;
  NinePatchPainter m_list_ctrl_bk_painter;
  // Stream icons: audio at x 0-15, webcam at x 16-31.
  WkBitmap m_hbmp_audio_icon;
};
