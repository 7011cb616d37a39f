// A download dialog window that only records what the state machine asks of it; tests press
// its buttons by publishing commands.
#pragma once

#include <string>
#include <vector>

#include "net/qel_dlg_download_core_view.h"

struct DownloadViewRecord {
  std::vector<int> phases;
  std::vector<std::string> progress;  // "48% of 2 KB"
  bool window = false;
  bool not_verified = false;
};

class FakeDownloadView : public DlgDownloadView {
 public:
  explicit FakeDownloadView(DownloadViewRecord* r) : r_(r) {}
  bool create_window() override { return r_->window = true; }
  void destroy_window() override { r_->window = false; }
  void change_phase(int32_t phase) override { r_->phases.push_back(phase); }
  void set_progress(int32_t percent, int32_t total_kb) override {
    r_->progress.push_back(std::to_string(percent) + "% of " + std::to_string(total_kb) + " KB");
  }
  void show_not_verified() override { r_->not_verified = true; }
  DlgDownloadCmdSubject& commands() override { return subject; }
  void Press(dlg_download_ui_cmd c) { subject.Notify(c); }

  DlgDownloadCmdSubject subject;

 private:
  DownloadViewRecord* r_;
};
