// The download dialog's window as its state machine sees it: phases, commands and the few
// calls that change what the user sees.
#pragma once

#include <cstdint>

#include "qel_lib/qel_subject.h"

enum dlg_download_phase : int32_t {
  phase_none = 0,
  phase_upgrade_confirm = 1,
  phase_downloading = 2,
  phase_install_confirm = 3,
  phase_download_failed = 4,
};

enum dlg_download_ui_cmd : int32_t {
  dlg_download_cmd_none = 0,
  dlg_download_cmd_yes = 1,   // first button or Enter
  dlg_download_cmd_no = 2,    // second button, Escape or the close box
  dlg_download_cmd_link = 3,  // the link in the failure phase
};

using DlgDownloadCmdSubject = SimpleSubject<void*, void, dlg_download_ui_cmd>;

class DlgDownloadView {
 public:
  virtual ~DlgDownloadView() = default;
  // Creates the window (template 102, no parent); false on failure.
  virtual bool create_window() = 0;
  virtual void destroy_window() = 0;
  virtual void change_phase(int32_t phase) = 0;
  virtual void set_progress(int32_t percent, int32_t total_kb) = 0;
  // In the failure phase: the download arrived but is not a genuine installer.
  virtual void show_not_verified() = 0;
  // Enter, Escape, the close box and the buttons are published here, never acted on.
  virtual DlgDownloadCmdSubject& commands() = 0;
};
