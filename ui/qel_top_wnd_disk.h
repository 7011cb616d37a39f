// The main window's watch over the recording folder's volume: it has the free space measured
// while it matters (each second while recording; every few seconds while the window shows or
// a call is on; never while the program idles in the tray), keeps the status bar's words for
// it, refuses a Record that would fill the disk and stops a recording that is about to.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win32/hidden_window.h"
#include "ui/core/qel_disk_space.h"
#include "ui/qel_disk_probe.h"

class qel_top_wnd_disk {
 public:
  // What the window does for the watch.
  struct Owner {
    std::function<void(const std::wstring& _text)> show_status;
    // As the user's Stop does.
    std::function<void()> stop_recording;
    // The window's own message box, for what the user asked for at the window.
    std::function<
        void(const std::wstring& _caption, const std::wstring& _line1, const std::wstring& _line2)>
        show_box;
    // False when there is no icon to show it at.
    std::function<bool(const std::wstring& _title, const std::wstring& _text)> show_balloon;
    // Asked at each measure: the window may have been hidden or shown without a word.
    std::function<bool()> window_visible;
  };

  bool create(Owner _owner);
  void destroy();

  // The library's folder and how fast its recordings fill a disk (0: not known).
  void set_folder(const std::u16string& _folder, uint64_t _bytes_per_second);
  // Whether a Record may go on to the engine. When not, the user is told why: in the window's
  // box for their own Record, in a balloon for an automatic start, which must not take the
  // keyboard from the call.
  bool may_record(bool _by_user);
  void on_recording(bool _recording);
  void on_call(bool _streams);
  // The window is about to show or hide (it does not show yet or still shows).
  void on_visibility(bool _visible);

  // The status text shown now (empty until a first answer).
  std::wstring status_text() const;

 private:
  void dojob_ask();
  void dojob_update_timer();
  void dojob_show_status();
  // A balloon, or the window's box when there is no icon to show it at.
  void dojob_tell(const std::wstring& _title,
                  const std::wstring& _line1,
                  const std::wstring& _line2);
  void OnAnswer(const std::u16string& _folder, bool _known, uint64_t _free);
  LRESULT OnMessage(HWND _hwnd, UINT _msg, WPARAM _wparam, LPARAM _lparam);

  Owner m_owner;
  qel_disk_probe m_probe;
  qel_disk_watch m_watch;
  platform::HiddenWindow m_window;
  unsigned m_period = 0;
  bool m_call = false;
  bool m_visible = false;
};
