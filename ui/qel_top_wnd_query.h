// A query message the main window answers with one value of its state; test programs in
// other processes send it with SendMessage (wParam: the field, result: the value).
#pragma once

inline constexpr unsigned kQelTopWndQueryMsg = 0x8000 + 0x5e1;  // WM_APP + 0x5e1

enum qel_top_wnd_field {
  kQelFieldWebcamLocal = 0,
  kQelFieldWebcamRemote,
  kQelFieldAudioFirst,
  kQelFieldAudioSecond,
  kQelFieldRecordInfoMode,
  kQelFieldTotalFiles,
  kQelFieldTotalMinutes,
  kQelFieldHistoryCount,
  kQelFieldTrayIconShown,
  kQelFieldLastStartFailedReason,  // -1 when none
  kQelFieldStartFailedBoxes,       // times the "cannot be created" message was due
  // Id of the newest history record, 0 without records.
  kQelFieldNewestHistoryId,
  // The tray icon changes between its two pictures (a recording runs).
  kQelFieldTrayAnimating,
  // The message box's window handle, 0 when it has none.
  kQelFieldMessageBox,
};
