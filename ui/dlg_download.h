// The download dialog's window (template 102): lays itself out for each phase and publishes
// its buttons, Enter, Escape and the close box as commands; DlgDownloadCore decides.
#pragma once

#include "net/qel_dlg_download_core_view.h"
#include "platform/win32/win.h"
#include "ui/core/qel_dlg_download_layout.h"
#include "ui/foo_button.h"
#include "winkit/wk_dialog.h"

class DlgDownload : public WkDialog, public DlgDownloadView {
 public:
  explicit DlgDownload(const qel_dlg_download_texts& texts) : m_texts(texts) {}
  ~DlgDownload() override;

  bool create_window() override;
  void destroy_window() override;
  void change_phase(int32_t phase) override;
  void set_progress(int32_t percent, int32_t total_kb) override;
  void show_not_verified() override;
  DlgDownloadCmdSubject& commands() override { return m_commands; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override { m_commands.Notify(dlg_download_cmd_yes); }
  void OnCancel() override { m_commands.Notify(dlg_download_cmd_no); }
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

 private:
  void apply(int id, const qel_dlg_download_item& item);

  qel_dlg_download_texts m_texts;
  FooButton m_link;
  DlgDownloadCmdSubject m_commands;
};
