// The application's fixed constants: version, names, registry path, the registered message
// and hidden window class names shared between instances, and the web site's addresses.
#pragma once

// Shown in the about box and compared with the update server's version.
inline constexpr char16_t g_qel_program_version[] = u"1.2.0.3";
inline constexpr char16_t g_qel_product_name[] = u"Quorvantine for Msn";
inline constexpr char g_qel_exe_file_name[] = "quorvantine_msn.exe";

// Below HKEY_CURRENT_USER (settings) and HKEY_LOCAL_MACHINE.
inline constexpr char g_qel_settings_path[] = "Software\\Corvelle Software\\Quorvantine for Msn";

// Formatted with the user's Documents folder.
inline constexpr char16_t g_qel_default_dest_dir_fmt[] = u"%s\\Quorvantine Records for Msn";

// Registered window messages between instances.
inline constexpr char g_qel_wm_shutdown_app_name[] =
    "1f8e2a07-69ee-4aee-8d00-ba6f67325118WM_ZUL_SHUTDOWN_APP";
inline constexpr char g_qel_wm_show_ui_name[] =
    "1f8e2a07-69ee-4aee-8d00-ba6f67325118WM_ZUL_SHOW_UI";

// Hidden top-level windows, found by class name from other processes.
inline constexpr char g_qel_app_top_wnd_class[] =
    "1f8e2a07-69ee-4aee-8d00-ba6f67325118Quorvantine_msn";
inline constexpr char g_qel_ui_top_wnd_class[] =
    "Quorvantine-msn-ui-top-4338a35e-7e11-4ebd-be75-64b38bc256e8";

// One entry of the site address table in both text forms; users read the form they need.
struct qel_site_address {
  const char* ansi;
  const char16_t* wide;
};

// 0-3: home address (about box, options dialog); 4: update server host; 5, 6: version file
// paths of the update check; 7: home address; 8-11: download, help, home and issue pages.
inline constexpr qel_site_address g_qel_site_addresses[12] = {
    {"http://www.quorvantine.com", u"http://www.quorvantine.com"},
    {"http://www.quorvantine.com", u"http://www.quorvantine.com"},
    {"http://www.quorvantine.com", u"http://www.quorvantine.com"},
    {"http://www.quorvantine.com", u"http://www.quorvantine.com"},
    {"www.quorvantine.com", u"www.quorvantine.com"},
    {"/quorvantine_msn_version.xml", u"/quorvantine_msn_version.xml"},
    {"/quorvantine_msn_version_first_check.xml", u"/quorvantine_msn_version_first_check.xml"},
    {"http://www.quorvantine.com", u"http://www.quorvantine.com"},
    {"http://www.quorvantine.com/download.html", u"http://www.quorvantine.com/download.html"},
    {"http://www.quorvantine.com/help.html", u"http://www.quorvantine.com/help.html"},
    {"http://www.quorvantine.com/", u"http://www.quorvantine.com/"},
    {"http://www.quorvantine.com/report_an_issue_msn.php",
     u"http://www.quorvantine.com/report_an_issue_msn.php"},
};

enum qel_site_address_index {
  kQelSiteHome = 0,
  kQelSiteUpdateHost = 4,
  kQelSiteVersionPath = 5,
  kQelSiteFirstCheckPath = 6,
  kQelSiteDownloadPage = 8,
  kQelSiteHelpPage = 9,
  kQelSiteHomePage = 10,
  kQelSiteReportIssuePage = 11,
};
