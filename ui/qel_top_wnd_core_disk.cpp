// The main window's side of the recording volume's free space: the status bar's second part,
// and the notices that must not take the keyboard from a call.
#include <utility>

#include "res/resource.h"
#include "ui/qel_top_wnd_core.h"
#include "ui/qel_ui_texts.h"

namespace {
constexpr int kDiskStatusPart = 1;
}  // namespace

bool CMyTopWndCore::dojob_create_disk_watch() {
  qel_top_wnd_disk::Owner owner;
  owner.show_status = [this](const std::wstring& text) { dojob_set_disk_text(text); };
  owner.stop_recording = [this] { OnCommand(kQelWndStop, 0); };
  owner.show_box = [this](const std::wstring& caption, const std::wstring& line1,
                          const std::wstring& line2) {
    dojob_show_message(caption.c_str(), line1.c_str(), line2.c_str(), IDI_WARNING);
  };
  owner.show_balloon = [this](const std::wstring& title, const std::wstring& text) {
    return m_tray.show_balloon(title.c_str(), text.c_str(), true);
  };
  owner.window_visible = [this] { return m_hWnd && ::IsWindowVisible(m_hWnd); };
  return m_disk.create(std::move(owner));
}

void CMyTopWndCore::set_record_volume(const std::u16string& _folder, uint64_t _bytes_per_second) {
  m_disk.set_folder(_folder, _bytes_per_second);
}

void CMyTopWndCore::dojob_set_disk_text(const std::wstring& _text) {
  if (!m_status_bar)
    return;
  SendMessageW(m_status_bar, SB_SETTEXTW, kDiskStatusPart, reinterpret_cast<LPARAM>(_text.c_str()));
}

void CMyTopWndCore::dojob_notify(UINT _caption_id, UINT _text_id) {
  if (m_tray.show_balloon(qel_text(_caption_id), qel_text(_text_id), false))
    return;
  dojob_show_message(qel_text(_caption_id), qel_text(_text_id), qel_text(IDS_BLANK_LINE),
                     IDI_INFORMATION);
}
