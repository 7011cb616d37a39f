// The real download dialog fetching a path of a loopback test server, with the user's "Yes"
// already pressed: how the tests of the file on disk and of the dialog's links start.
#pragma once

#include <memory>
#include <string>

#include "net/qel_dlg_download_core.h"
#include "net/testing/port_agent.h"
#include "res/resource.h"
#include "ui/dlg_download.h"

namespace dlg_testing {

struct PortDownload {
  shared_ptr<DlgDownloadCore> core;
  HWND hwnd = nullptr;  // null when the dialog did not come up
};

// Offers version 1.3.0.0 (to 1.2.0.3) from http://127.0.0.1<path>, served on `port`.
inline PortDownload start_port_download(int port, const std::u16string& path) {
  qel_dlg_download_texts texts{u"Quorvantine for Msn", u"1.3.0.0", u"127.0.0.1", path, u""};
  auto window = std::make_unique<DlgDownload>(texts);
  DlgDownload* dlg = window.get();
  DlgDownloadCore::Args args{texts.product_name, texts.version, texts.host, 80, path, u"1.2.0.3"};
  PortDownload d;
  d.core = shared_ptr<DlgDownloadCore>(
      new DlgDownloadCore(args, std::move(window), qel_platform_download_system(),
                          [port] { return shared_ptr<ZulHttpAgent>(new PortAgent(port)); }));
  if (!d.core->Create())
    return d;
  d.hwnd = dlg->m_hWnd;
  SendMessageW(GetDlgItem(d.hwnd, IDC_DOWNLOAD_YES), BM_CLICK, 0, 0);
  return d;
}

}  // namespace dlg_testing
