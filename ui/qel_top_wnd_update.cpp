// The main window's side of the update check: the checker it owns, and the download it
// offers when the server recommends a newer version than this program's.
#include "library/qel_app_constants.h"
#include "net/qel_version_compare.h"
#include "res/resource.h"
#include "ui/dlg_download.h"
#include "ui/qel_dlg_message_box.h"
#include "ui/qel_l10n_strings.h"
#include "ui/qel_top_wnd.h"
#include "ui/qel_update_checker_store.h"

namespace {

std::u16string from_wide(const wchar_t* s) {
  return s ? std::u16string(s, s + wcslen(s)) : std::u16string();
}

shared_ptr<DlgDownloadCore> make_download_dialog(DlgDownloadCore::Args args) {
  args.running_version = g_qel_program_version;
  qel_dlg_download_texts texts{args.product_name, args.version, args.host, args.path,
                               from_wide(qel_l10n_get_string(IDS_EXIT_MSN_FIRST))};
  return shared_ptr<DlgDownloadCore>(new DlgDownloadCore(args, std::make_unique<DlgDownload>(texts),
                                                         qel_platform_download_system()));
}

}  // namespace

bool CMyTopWnd::dojob_create_update_checker() {
  mUpdateChecker = shared_ptr<ZulUpdateChecker>(new ZulUpdateChecker);
  mUpdateChecker->SetStore(std::make_shared<QelUpdateCheckerStore>(
      ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path)));
  mUpdateChecker->SetDownloadFactory(make_download_dialog);
  mUpdateObserver.Bind(shared_ptr<CMyTopWnd>(this), &CMyTopWnd::OnUpdateEvt);
  mUpdateChecker->Attach(&mUpdateObserver);
  return mUpdateChecker->Create(g_qel_site_addresses[kQelSiteUpdateHost].wide,
                                g_qel_site_addresses[kQelSiteVersionPath].wide,
                                g_qel_site_addresses[kQelSiteFirstCheckPath].wide, 1000, false);
}

void CMyTopWnd::dojob_finalize_update_checker() {
  if (!mUpdateChecker)
    return;
  mUpdateChecker->Detach(&mUpdateObserver);
  mUpdateChecker->Finalize();
  mUpdateChecker = shared_ptr<ZulUpdateChecker>();
}

void CMyTopWnd::dojob_close_update_msg_box() {
  if (!m_update_msg_box)
    return;
  m_update_msg_box->Destroy();
  m_update_msg_box = shared_ptr<DlgMessageBox>();
}

// Versions compare part by part as numbers, so 1.10 is an upgrade of 1.2. A check that
// finds nothing newer, or fails, shows nothing: checks run unasked.
void CMyTopWnd::OnUpdateEvt(const ZulUpdateEvt* _evt) {
  if (!_evt->mSucceeded || !mUpdateChecker ||
      !qel_version_is_newer(_evt->mRecommendedVersion, g_qel_program_version))
    return;
  dojob_close_update_msg_box();
  mUpdateChecker->ShowDownloadDialog(g_qel_product_name, _evt->mRecommendedVersion,
                                     _evt->mRecommendedVersionHost, _evt->mRecommendedVersionUrl);
}
