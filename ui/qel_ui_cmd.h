// What the windows publish: the UI command record with its codes, and the command ids of
// the main window's buttons, links and menus that lead to them. Every id lives here once.
#pragma once

#include <cstdint>

#include "qel_lib/qel_subject.h"

// The record every UI command subject carries: the code and its one parameter (the file id
// for play and delete).
struct qel_ui_cmd {
  int32_t m_cmd_id;
  int32_t m_param;
};

using qel_ui_cmd_subject = SimpleSubject<void*, void, const qel_ui_cmd*>;

// Codes of qel_ui_cmd::m_cmd_id, as the application and the COM UI object read them.
enum qel_ui_cmd_id : int32_t {
  kQelCmdRecord = 1,
  kQelCmdStop = 2,
  kQelCmdPlay = 3,
  kQelCmdDelete = 4,
  kQelCmdExit = 5,
  kQelCmdOpenHelpPage = 6,
  kQelCmdOpenDownloadPage = 7,
  kQelCmdOpenIssuePage = 8,
  kQelCmdOpenHomePage = 9,
  kQelCmdOpenFolder = 10,
  kQelCmdChangeFolder = 11,
  // Audio modes 1 to 4.
  kQelCmdAudioNone = 12,
  kQelCmdAudioMicrophone = 13,
  kQelCmdAudioSpeaker = 14,
  kQelCmdAudioBoth = 15,
  // 16 is no command. Video modes 1, 2, 3, 6, 4, 5, in this order.
  kQelCmdVideoNone = 17,
  kQelCmdVideoLocal = 18,
  kQelCmdVideoRemote = 19,
  kQelCmdVideoSeparate = 20,
  kQelCmdVideoPicInPic = 21,
  kQelCmdVideoSideBySide = 22,
  // Repair a recording cut short; the parameter is its file id.
  kQelCmdRepair = 23,
};

// WM_COMMAND ids of the main window: its buttons and links, the main menu bar, the tray,
// list popup and mode menus.
enum qel_wnd_cmd_id : uint16_t {
  kQelWndChangeFolder = 103,  // "change..." link
  kQelWndHere = 104,          // "Here" link: the recording folder
  kQelWndPlay = 32770,
  kQelWndDelete = 32771,
  kQelWndRepair = 32772,
  kQelWndHelp = 32773,
  kQelWndStop = 32776,
  kQelWndRecord = 32780,
  kQelWndExit = 32781,
  kQelWndOpenMainWindow = 32782,
  kQelWndAbout = 32785,
  kQelWndMoreFeatures = 32786,
  kQelWndReportIssue = 32787,
  kQelWndOpenFolder = 32790,
  kQelWndCheckUpdates = 32804,
  kQelWndAudioButton = 32805,
  kQelWndAudioNone = 32806,
  kQelWndAudioMicrophone = 32807,
  kQelWndAudioSpeaker = 32808,
  kQelWndVideoButton = 32809,
  kQelWndAudioBoth = 32810,
  kQelWndVideoNone = 32811,
  kQelWndVideoRemote = 32812,
  kQelWndVideoLocal = 32813,
  kQelWndVideoPicInPic = 32815,
  kQelWndVideoSideBySide = 32816,
  kQelWndInert = 32900,  // pictures and labels
  kQelWndOptions = 40002,
  kQelWndVideoSeparate = 40004,
};
