// The options dialog: start with Windows, automatic recording, the recording folder (through
// the application), and the recording modes with their placement, size and frame rate.
// DlgOptionsCore is the dialog; DlgOptions the framework object the main window keeps.
#pragma once

#include <memory>

#include "library/qel_app_setting.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_iobject.h"
#include "ui/core/qel_options_state.h"
#include "ui/foo_button.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/wk_dialog.h"
#include "winkit/wk_gdi.h"

class DlgOptionsCore : public WkDialog {
 public:
  static constexpr int kClientWidth = 402;
  static constexpr int kClientHeight = 428;

  explicit DlgOptionsCore(qel_ui_cmd_subject* _sink) : m_sink(_sink) {}

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

 private:
  HWND dojob_create(const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& rect, int id);
  HWND dojob_create_list(const RECT& rect,
                         int id,
                         qel_options_range range,
                         const char16_t* (*name)(int),
                         int value,
                         int fallback);
  void dojob_fit_link();
  void dojob_show_placement();
  void dojob_show_folder();
  void dojob_publish(int32_t code);
  bool OnCommand(WPARAM wparam, LPARAM lparam);
  void OnListChange(HWND list, int id);

  qel_ui_cmd_subject* m_sink;
  std::unique_ptr<qel_output_settings> m_settings;
  qel_options_choice m_choice = {};
  WkFont m_font;
  WkBrush m_white_brush;
  FooButton m_link;
  HWND m_auto_start = nullptr;
  HWND m_auto_record = nullptr;
  HWND m_folder = nullptr;
  HWND m_corner_list = nullptr;
  HWND m_side_list = nullptr;
  HWND m_local_size_list = nullptr;
};

class DlgOptions : public ZulIObject {
 public:
  DlgOptions();
  ~DlgOptions() override;

  // Modeless, owned by `_parent`, with a client area of 402 x 428.
  bool create(HWND _parent);
  void destroy();
  bool is_created() const { return m_core.m_hWnd != nullptr; }
  HWND GetSafeHwnd() const { return m_core.m_hWnd; }

  // Change (11), Open (10) and, on OK, the video then the audio mode code.
  qel_ui_cmd_subject m_ui_cmd_sink;

 private:
  DlgOptionsCore m_core;
};
