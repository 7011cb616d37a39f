// The download-and-install dialog's behaviour: asks whether to upgrade, downloads the
// installer into a temporary file with progress, verifies it and starts it, or offers the
// browser link when the download fails. Its window is reached only through DlgDownloadView.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/qel_dlg_download_core_view.h"
#include "net/qel_dlg_download_system.h"
#include "net/qel_http_agent.h"

class DlgDownloadCore : public ZulIObject {
 public:
  struct Args {
    std::u16string product_name;
    std::u16string version;
    std::u16string host;
    int32_t port = 80;
    std::u16string path;
    std::u16string running_version;  // an installer must be newer than this
  };
  using Factory = std::function<shared_ptr<DlgDownloadCore>(const Args&)>;
  using AgentFactory = std::function<shared_ptr<ZulHttpAgent>()>;

  // Far beyond any installer; a larger download fails instead of filling the disk.
  static constexpr int32_t kMaxInstallerBytes = 512 * 1024 * 1024;
  static constexpr char16_t kPublisher[] = u"Corvelle Software";

  DlgDownloadCore(const Args& args,
                  std::unique_ptr<DlgDownloadView> view,
                  std::unique_ptr<DlgDownloadSystem> system,
                  AgentFactory agents = nullptr);
  ~DlgDownloadCore() override;

  // Must be held by a shared_ptr first: the observers hold it weakly.
  bool Create();
  void Close();

  void on_dlg_ui_cmd(dlg_download_ui_cmd command);
  void OnHttpAgentEvt(const ZulHttpAgentEvt* event);

  int32_t phase() const { return m_phase; }
  const std::u16string& file_name() const { return mFileName; }
  DlgDownloadView* view() const { return mView.get(); }

  // Whether facts describe an installer this program may start: a signature that holds,
  // a signer chain trusted for code signing, our publisher and a version newer than ours.
  static bool IsAcceptable(const platform::InstallerFacts& facts,
                           const std::u16string& running_version);

 private:
  bool dojob_start_download();
  void StopDownload();
  bool dojob_create_tmp_file();
  bool dojob_write_to_file(const ZulData& chunk);
  void dojob_content(const ZulHttpAgentEvt* event);
  void dojob_download_complete();
  bool dojob_verify_installer();
  bool dojob_start_installer();
  void dojob_fail(bool not_verified);
  void dojob_discard_file();
  void dojob_destroy_window();
  void dojob_open_link();

  ObserverAdapter<DlgDownloadCore, ZulHttpAgentSubject> mAgentObserver;
  shared_ptr<ZulHttpAgent> mHttpAgent;
  uint32_t mContentRecvedLen = 0;
  int32_t mContentLen = 0;
  bool mFileOpen = false;
  std::u16string mFileName;
  Args mArgs;
  std::unique_ptr<DlgDownloadView> mView;
  std::unique_ptr<DlgDownloadSystem> mSystem;
  AgentFactory mAgentFactory;
  bool mWindowCreated = false;
  int32_t m_phase = phase_none;
  ObserverAdapter<DlgDownloadCore, DlgDownloadCmdSubject> mCmdObserver;
};
