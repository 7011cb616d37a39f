// The recording engine stand-in: a real cross-process COM client of quorvantine_msn.exe, as
// the engine inside a messenger process would be. Test and demo equipment only.
//
// Use from one thread that called CoInitializeEx(COINIT_APARTMENTTHREADED) and runs a
// message loop (the engine's work is driven by window messages and COM calls on it):
//
//   EngineSimOptions options;                 // defaults: streams (1,1) and (1,1), 160x120
//   for (each command-line word) engine_sim_parse_option(word, &options);
//   EngineSim engine(options);
//   engine.Attach(messenger_main_wnd);        // connects in the background, retrying
//   engine.StartCall();                       // reports the call's stream counts
//   ...                                       // the program requests record / stop
//   engine.EndCall();                         // stops a recording, reports (0,0) streams
//   engine.Detach();                          // disconnects; Attach may follow again
//
// On RequestRecord(path) during a call the engine writes "<path>.avi" (raw RGB24 video at 15 fps
// and 12 kHz mono PCM audio) and calls OnRecordStarted; on RequestStop it closes the file and calls
// OnRecordStopped with it, its start time and, with --engine-discard, a temporary file to discard.
// The frames are written as they fall due (at least 1 s of them, at most 60 s), so a killed engine
// leaves the file as far as it got: sizes unpatched, no index. Outside a call, or while recording,
// it answers RequestRecord with S_FALSE and records nothing.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/win32/win.h"

struct EngineSimOptions {
  // --engine-webcam=L,R and --engine-audio=A,B: counts reported by StartCall.
  int webcam_local = 1;
  int webcam_remote = 1;
  int audio_first = 1;
  int audio_second = 1;
  // --engine-size=WxH: image size of the written video.
  int width = 160;
  int height = 120;
  // --engine-start-failed=N: answer RequestRecord with OnRecordStartFailed(N), record nothing.
  int start_failed_reason = -1;
  // --engine-fail-request: the sink returns E_FAIL from RequestRecord (and records nothing).
  bool fail_request = false;
  // --engine-discard: OnRecordStopped also reports a temporary file to discard.
  bool discard = false;
  // --engine-registered-ps: marshal through the proxy/stub DLL that "/Regserver" registers
  // instead of the one linked in, as an engine built elsewhere would.
  bool registered_ps = false;
  // --engine-log=FILE: one UTF-8 line per event ("connected", "request_record <path>",
  // "started <start time>", "request_stop", "stopped <file> [<discarded file>]",
  // "start_failed <n>", ...), for tests.
  std::wstring log_path;
};

// True when arg is one of the "--engine-..." options above (options is then updated); false
// for anything else, so that callers can pass every word of their command line.
bool engine_sim_parse_option(std::wstring_view arg, EngineSimOptions* options);

class EngineSimCore;

class EngineSim {
 public:
  explicit EngineSim(const EngineSimOptions& options);
  ~EngineSim();
  EngineSim(const EngineSim&) = delete;
  EngineSim& operator=(const EngineSim&) = delete;

  // Starts connecting to the program for this messenger main window; returns at once. The
  // connection is retried for about 15 s while the program starts.
  bool Attach(HWND main_wnd);
  // A call begins: stream counts are reported now, or as soon as the connection stands.
  void StartCall();
  // The call ends: a running recording is stopped and reported, the counts drop to zero.
  void EndCall();
  // Disconnects from the program; a running recording is stopped and reported first.
  void Detach();
  // Asks the program to show or hide its notification-area icon.
  void ShowTrayIcon(bool show);
  // The next recording that stops also reports a temporary file to discard.
  void DiscardWithNextStop();
  bool connected() const;

 private:
  std::unique_ptr<EngineSimCore> core_;
};
