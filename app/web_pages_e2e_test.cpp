// The real program opens its web pages through the shell: each Help menu command reaches the
// browser stand-in with its page's address.
#include <gtest/gtest.h>

#include <string>

#include "app/testing/program_runner.h"
#include "res/resource.h"
#include "winkit/testing/shell_browser_capture.h"

namespace {

using namespace qel_testing;

TEST(WebPagesE2e, HelpMenuCommandsOpenTheirPagesInTheBrowser) {
  ASSERT_TRUE(end_running_program());
  ShellBrowserCapture browser(WkWindowsPath(QEL_BROWSER_SIM));
  ASSERT_TRUE(browser.installed());
  Program p(L"/start_context user_manual");
  ASSERT_TRUE(p.started()) << "CreateProcess error " << p.start_error();
  ASSERT_TRUE(wait_until([&] { return IsWindowVisible(main_wnd_of(p.pid())) != 0; }));

  struct {
    WPARAM command;
    const char* address;
  } pages[] = {
      {ID_CHECK_FOR_UPDATES, "http://www.quorvantine.com/download.html"},
      {ID_HELP_PAGE, "http://www.quorvantine.com/help.html"},
      {ID_REPORT_ISSUE, "http://www.quorvantine.com/report_an_issue_msn.php"},
      {ID_GET_MORE_FEATURES, "http://www.quorvantine.com/"},
  };
  for (const auto& page : pages) {
    PostMessageW(main_wnd_of(p.pid()), WM_COMMAND, page.command, 0);
    EXPECT_EQ(browser.Wait(), page.address) << page.command;
  }
  EXPECT_TRUE(p.Running());
  send_shutdown();
  EXPECT_EQ(p.WaitExit(), 0);
}

}  // namespace
