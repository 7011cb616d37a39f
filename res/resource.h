// Resource and control ids shared by the .rc files and the code. Plain #defines only: the
// resource compiler reads this file too.
#ifndef QEL_RES_RESOURCE_H_
#define QEL_RES_RESOURCE_H_

// ---- Strings ------------------------------------------------------------------------------
#define IDS_ACTIVE_STREAMS 134
#define IDS_AUDIO_STREAMS_FMT 135
#define IDS_LOCAL_WEBCAM_FMT 136
#define IDS_REMOTE_WEBCAM_FMT 137
#define IDS_TODAY 138
#define IDS_YESTERDAY 139
#define IDS_HERE 141
#define IDS_CHANGE 142
#define IDS_FILES 143
#define IDS_VERSION_FMT 155
#define IDS_OWNER_NOTICE 156
#define IDS_HOME_PAGE 157
#define IDS_EXIT_MSN_FIRST 159
#define IDS_WINDOW_TITLE 164
#define IDS_TRAY_TIP 165
#define IDS_VIDEO_LABEL 170
#define IDS_MINUTES_RECORDED 171
#define IDS_AUDIO_LABEL 173
#define IDS_NO_STREAM 191
#define IDS_RECORDING 192
#define IDS_DELETE_ONE_FMT 194
#define IDS_DELETE_MANY_FMT 195
#define IDS_CONFIRM_DELETE 196
#define IDS_CHANGE_NEXT_RECORDING 197
#define IDS_INFORMATION 198
#define IDS_SELECT_FOLDER 199
#define IDS_RECORD 200
#define IDS_STOP_RECORDING 201
#define IDS_OPEN_RECORDING_FOLDER 202
#define IDS_ABOUT 203
#define IDS_RECORD_FAILED 210
#define IDS_RECORD_FAILED_DETAIL 211
#define IDS_DIR_FAILED_FMT 212
#define IDS_DIR_CANNOT_CREATE 213
#define IDS_DIR_CANNOT_LOAD 214
#define IDS_DIR_NOT_ACCESSIBLE 215
#define IDS_BLANK_LINE 219
#define IDS_RECORDINGS_SAVED 221
#define IDS_PLEASE_NOTE 222
#define IDS_LEGAL_NOTICE 223
#define IDS_SET_RECORDING_FOLDER 224
#define IDS_TOTALS_FMT 225
#define IDS_RECORD_ENDED 226
#define IDS_RECORD_PART_SAVED 227
#define IDS_REPAIR 228
#define IDS_REPAIR_FAILED 229
#define IDS_REPAIR_FAILED_DETAIL 230
#define IDS_DISK_FREE_HOURS_FMT 240
#define IDS_DISK_FREE_MINUTES_FMT 241
#define IDS_DISK_FREE_TOO_LITTLE_FMT 242
#define IDS_DISK_FREE_UNKNOWN 243
#define IDS_SIZE_GB_FMT 244
#define IDS_SIZE_MB_FMT 245
#define IDS_DISK_LOW 246
#define IDS_DISK_LOW_NOT_STARTED_FMT 247
#define IDS_DISK_LOW_WHAT_TO_DO 248
#define IDS_DISK_FULL_STOPPED 249
#define IDS_DISK_FULL_STOPPED_WHY 250
#define IDS_DISK_FULL_SAVED_FMT 251
#define IDS_SAVING_RECORDING 252

// Month abbreviations by month 0-11, weekday abbreviations by weekday 0-6 (Sunday first).
#define IDS_MONTH_FIRST 40010
#define IDS_MONTH_JAN 40010
#define IDS_MONTH_FEB 40011
#define IDS_MONTH_MAR 40012
#define IDS_MONTH_APR 40013
#define IDS_MONTH_MAY 40014
#define IDS_MONTH_JUN 40015
#define IDS_MONTH_JUL 40016
#define IDS_MONTH_AUG 40017
#define IDS_MONTH_SEP 40018
#define IDS_MONTH_OCT 40019
#define IDS_MONTH_NOV 40020
#define IDS_MONTH_DEC 40021
#define IDS_WEEKDAY_FIRST 40030
#define IDS_WEEKDAY_SUN 40030
#define IDS_WEEKDAY_MON 40031
#define IDS_WEEKDAY_TUE 40032
#define IDS_WEEKDAY_WED 40033
#define IDS_WEEKDAY_THU 40034
#define IDS_WEEKDAY_FRI 40035
#define IDS_WEEKDAY_SAT 40036

// ---- Menus --------------------------------------------------------------------------------
#define IDR_VIDEO_SETTINGS_MENU 142
#define IDR_TRAY_MENU 2048  // also the tray icon's id: the tray loads the menu by its icon id
#define IDR_MAIN_MENU 2055
#define IDR_LIST_POPUP_MENU 2057
#define IDR_AUDIO_SETTINGS_MENU 2159

// Menu and button commands.
#define ID_PLAY 32770
#define ID_DELETE 32771
#define ID_REPAIR 32772  // added to the list popup for a recording cut short
#define ID_HELP_PAGE 32773
#define ID_STOP_RECORDING 32776
#define ID_RECORD 32780
#define ID_EXIT 32781
#define ID_OPEN_MAIN_WINDOW 32782
#define ID_ABOUT 32785
#define ID_GET_MORE_FEATURES 32786
#define ID_REPORT_ISSUE 32787
#define ID_OPEN_RECORDING_FOLDER 32790
#define ID_CHECK_FOR_UPDATES 32804
#define ID_AUDIO_MODE_BUTTON 32805
#define ID_AUDIO_NONE 32806
#define ID_AUDIO_MICROPHONE_ONLY 32807
#define ID_AUDIO_SPEAKER_ONLY 32808
#define ID_VIDEO_MODE_BUTTON 32809
#define ID_AUDIO_BOTH 32810
#define ID_VIDEO_NONE 32811
#define ID_VIDEO_REMOTE_ONLY 32812
#define ID_VIDEO_LOCAL_ONLY 32813
#define ID_VIDEO_PICTURE_IN_PICTURE 32815
#define ID_VIDEO_SIDE_BY_SIDE 32816
#define ID_INERT 32900  // pictures and labels of the main window
#define ID_OPTIONS 40002
#define ID_VIDEO_SEPARATE_FILES 40004

// Main window child controls.
#define IDC_HISTORY_LIST 3
#define IDC_STATUS_BAR 4
#define IDC_CHANGE_LINK 103
#define IDC_HERE_LINK 104

// ---- Dialogs ------------------------------------------------------------------------------
#define IDD_DOWNLOAD 102
#define IDD_OPTIONS 150
#define IDD_ABOUT 2050
#define IDD_MESSAGE_BOX 2080

// Message box (2080). Its third button has id 3, not the system's IDRETRY.
#define IDC_MSGBOX_OK 1
#define IDC_MSGBOX_CANCEL 2
#define IDC_MSGBOX_RETRY 3
#define IDC_MSGBOX_ICON 2005
#define IDC_MSGBOX_LINE1 2006
#define IDC_MSGBOX_LINE2 2007

// About box (2050).
#define IDC_ABOUT_VERSION 1011
#define IDC_ABOUT_NOTICE 1012
#define IDC_ABOUT_HOME_PAGE_LABEL 1013
#define IDC_ABOUT_PICTURE 1014
#define IDC_ABOUT_BLANK 1015
#define IDC_ABOUT_LINK 2008

// Options dialog (150): the template is only the frame, the controls are made at run time.
// The group boxes share the start-with-Windows check box's id.
#define IDC_OPTIONS_GROUP 40037
#define IDC_OPTIONS_AUTO_START 40037
#define IDC_OPTIONS_AUTO_RECORD 40038
#define IDC_OPTIONS_AUDIO_MODE 40041
#define IDC_OPTIONS_VIDEO_MODE 40042
#define IDC_OPTIONS_LOCAL_POSITION 40044
#define IDC_OPTIONS_LOCAL_SIZE 40045
#define IDC_OPTIONS_IMAGE_SIZE 40046
#define IDC_OPTIONS_FRAME_RATE 40047
#define IDC_OPTIONS_CHANGE 40048
#define IDC_OPTIONS_OPEN 40049
#define IDC_OPTIONS_HOME_LINK 2008

// Download dialog (102).
#define IDC_DOWNLOAD_YES 1
#define IDC_DOWNLOAD_NO 2
#define IDC_DOWNLOAD_PROGRESS 1002
#define IDC_DOWNLOAD_LINE1 1003
#define IDC_DOWNLOAD_LINE2 1004
#define IDC_DOWNLOAD_ICON 2005
#define IDC_DOWNLOAD_LINK 2007

// ---- Icons --------------------------------------------------------------------------------
#define IDI_MAIN 143         // window, taskbar and shell icon
#define IDI_TRAY_STILL 2065  // tray icon, and the first of the recording animation
#define IDI_TRAY_BLINK 2068  // its animation partner

// ---- Bitmaps ------------------------------------------------------------------------------
#define IDB_ABOUT_BANNER 134    // 294 x 43
#define IDB_FOLDER_PICTURE 153  // 12 x 12, magenta key
#define IDB_AUDIO_PICTURE 154   // 12 x 12, magenta key
#define IDB_RECORD_NORMAL 229   // 48 x 48 faces, key RGB(213, 204, 187)
#define IDB_RECORD_HOT 241
#define IDB_RECORD_PRESSED 242
#define IDB_STOP_NORMAL 243
#define IDB_STOP_HOT 244
#define IDB_STOP_PRESSED 245
#define IDB_HISTORY_MARKS 2033  // 48 x 16: audio, video, spare; black key
#define IDB_STREAM_ICONS 2036   // 32 x 16: audio, webcam; white key

// ---- PNG pieces (resource type "PNG"), nine per painter in the order top-left, top,
// top-right, left, centre, right, bottom-left, bottom, bottom-right ---------------------------
// History-list header band, 8 x 8.
#define IDP_HEADER_TL 2012
#define IDP_HEADER_BR 2014
#define IDP_HEADER_T 2015
#define IDP_HEADER_TR 2016
#define IDP_HEADER_L 2017
#define IDP_HEADER_C 2018
#define IDP_HEADER_R 2019
#define IDP_HEADER_BL 2020
#define IDP_HEADER_B 2021
// History-list frame, 2 x 2.
#define IDP_FRAME_BR 2023
#define IDP_FRAME_TL 2024
#define IDP_FRAME_T 2025
#define IDP_FRAME_TR 2026
#define IDP_FRAME_L 2027
#define IDP_FRAME_C 2028
#define IDP_FRAME_BL 2030
#define IDP_FRAME_B 2031
#define IDP_FRAME_R 2032
// Stream panel, 8 x 8.
#define IDP_PANEL_BR 2037
#define IDP_PANEL_TL 2038
#define IDP_PANEL_T 2039
#define IDP_PANEL_TR 2040
#define IDP_PANEL_L 2041
#define IDP_PANEL_C 2042
#define IDP_PANEL_R 2043
#define IDP_PANEL_BL 2044
#define IDP_PANEL_B 2045

// The key colours the artwork is drawn with.
#define QEL_FACE_KEY_RGB 0xBBCCD5  // COLORREF of RGB(213, 204, 187)

#endif  // QEL_RES_RESOURCE_H_
