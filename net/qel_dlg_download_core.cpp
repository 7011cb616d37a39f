#include "net/qel_dlg_download_core.h"

#include "net/qel_version_compare.h"
#include "platform/text.h"
#include "qel_lib/qel_assert.h"

DlgDownloadCore::DlgDownloadCore(const Args& args,
                                 std::unique_ptr<DlgDownloadView> view,
                                 std::unique_ptr<DlgDownloadSystem> system,
                                 AgentFactory agents)
    : mArgs(args),
      mView(std::move(view)),
      mSystem(std::move(system)),
      mAgentFactory(std::move(agents)) {}

DlgDownloadCore::~DlgDownloadCore() {
  StopDownload();
  if (mSystem)
    mSystem->Release();
}

bool DlgDownloadCore::Create() {
  bool rtn = mView && mSystem && mView->create_window();
  if (!QEL_ASSERT(rtn))
    return false;
  mWindowCreated = true;
  mCmdObserver.Bind(shared_ptr<DlgDownloadCore>(this), &DlgDownloadCore::on_dlg_ui_cmd);
  mView->commands().Attach(&mCmdObserver, 0);
  m_phase = phase_upgrade_confirm;
  mView->change_phase(m_phase);
  return true;
}

void DlgDownloadCore::Close() {
  StopDownload();
  if (mView) {
    mView->commands().Detach(&mCmdObserver);
    mCmdObserver.Bind(shared_ptr<DlgDownloadCore>(), nullptr);
  }
  dojob_destroy_window();
}

void DlgDownloadCore::dojob_destroy_window() {
  if (mSystem)
    mSystem->Release();
  if (mWindowCreated) {
    mWindowCreated = false;
    mView->destroy_window();
  }
}

void DlgDownloadCore::on_dlg_ui_cmd(dlg_download_ui_cmd command) {
  switch (command) {
    case dlg_download_cmd_none:
      return;
    case dlg_download_cmd_yes:
      if (m_phase == phase_upgrade_confirm) {
        QEL_ASSERT(m_phase != phase_downloading);
        m_phase = phase_downloading;
        mView->change_phase(m_phase);
        bool rtn = dojob_start_download();
        QEL_ASSERT(rtn);
      } else if (m_phase == phase_install_confirm) {
        QEL_ASSERT_MSG(mFileName.size(), "mFileName.GetLength()");
        // Checked again at the last moment; the file stays held until the start returned.
        if (!dojob_verify_installer()) {
          dojob_fail(true);
          return;
        }
        bool rtn = dojob_start_installer();
        QEL_ASSERT(rtn);
        StopDownload();
        dojob_destroy_window();
      } else {
        QEL_ASSERT(false);
      }
      return;
    case dlg_download_cmd_no:
      if (m_phase < phase_upgrade_confirm || m_phase > phase_download_failed) {
        QEL_ASSERT(false);
        return;
      }
      StopDownload();
      dojob_destroy_window();
      return;
    case dlg_download_cmd_link:
      if (!QEL_ASSERT(m_phase == phase_download_failed))
        return;
      dojob_open_link();
      StopDownload();
      dojob_destroy_window();
      return;
  }
  QEL_ASSERT(false);
}

void DlgDownloadCore::dojob_open_link() {
  std::string url = "http://" + platform::to_ansi(mArgs.host) + platform::to_ansi(mArgs.path);
  mSystem->OpenWebAddress(url);
}

bool DlgDownloadCore::dojob_start_download() {
  QEL_ASSERT(m_phase == phase_downloading);
  if (!QEL_ASSERT(!mHttpAgent))
    return true;
  mContentRecvedLen = 0;
  mContentLen = 0;
  mFileOpen = false;
  mFileName.clear();
  mHttpAgent = mAgentFactory ? mAgentFactory() : shared_ptr<ZulHttpAgent>(new ZulHttpAgent);
  QEL_ASSERT_MSG(!mHttpAgent->IsBusy(), "!mHttpAgent->IsBusy()");
  mAgentObserver.Bind(shared_ptr<DlgDownloadCore>(this), &DlgDownloadCore::OnHttpAgentEvt);
  mHttpAgent->Attach(&mAgentObserver, 0);
  // The agent may fail (and this dialog drop it) inside Start: a local holder keeps it alive.
  shared_ptr<ZulHttpAgent> agent = mHttpAgent;
  if (!agent->Start(ZulHttpAgent::kGet, mArgs.host, mArgs.port, mArgs.path, ZulData(0, 256))) {
    QEL_ASSERT(false);
    StopDownload();
    return false;
  }
  return true;
}

void DlgDownloadCore::StopDownload() {
  mContentRecvedLen = 0;
  mContentLen = 0;
  if (mFileOpen) {
    mSystem->CloseTmpFile();
    mFileOpen = false;
  }
  if (mHttpAgent) {
    mHttpAgent->Detach(&mAgentObserver);
    mAgentObserver.Bind(shared_ptr<DlgDownloadCore>(), nullptr);
    mHttpAgent = shared_ptr<ZulHttpAgent>();
  }
}

void DlgDownloadCore::OnHttpAgentEvt(const ZulHttpAgentEvt* event) {
  if (!QEL_ASSERT(m_phase == phase_downloading))
    return;
  switch (event->mType) {
    case ZulHttpAgentEvt::kFailed:
      StopDownload();
      dojob_fail(false);
      return;
    case ZulHttpAgentEvt::kStatus:
      if (event->mStatusCode == 200)
        return;
      StopDownload();
      dojob_destroy_window();
      QEL_ASSERT(false);
      return;
    case ZulHttpAgentEvt::kHeader:
      mContentRecvedLen = 0;
      mContentLen = event->mContentLen;
      if (mContentLen > kMaxInstallerBytes) {
        StopDownload();
        dojob_fail(false);
      }
      return;
    case ZulHttpAgentEvt::kContent:
      dojob_content(event);
      return;
  }
  QEL_ASSERT(false);
  StopDownload();
  dojob_destroy_window();
}

void DlgDownloadCore::dojob_content(const ZulHttpAgentEvt* event) {
  const ZulData& content = event->mContent;
  if (!QEL_ASSERT_MSG(content.GetLength(), "content.GetLength()"))
    return;
  // More than announced, or more than any installer: never reaches the disk.
  uint64_t total = uint64_t{mContentRecvedLen} + content.GetLength();
  if (mContentLen < 0 || total > static_cast<uint64_t>(mContentLen) || total > kMaxInstallerBytes) {
    StopDownload();
    dojob_discard_file();
    dojob_fail(false);
    return;
  }
  if (!mFileOpen) {
    dojob_create_tmp_file();
    QEL_ASSERT_MSG(mFileOpen && mFileName.size(), "m_hFile && mFileName.GetLength()");
  }
  bool written = false;
  if (mFileOpen) {
    bool rtn = dojob_write_to_file(content);
    written = QEL_ASSERT(rtn);
  }
  if (!written || mFileName.empty()) {
    StopDownload();
    Close();
    return;
  }
  mContentRecvedLen = static_cast<uint32_t>(total);
  int32_t percent = static_cast<int32_t>(total * 100 / static_cast<uint64_t>(mContentLen));
  mView->set_progress(percent, mContentLen / 1024);
  if (mContentRecvedLen == static_cast<uint32_t>(mContentLen))
    dojob_download_complete();
}

void DlgDownloadCore::dojob_download_complete() {
  mSystem->CloseTmpFile();
  mFileOpen = false;
  StopDownload();
  QEL_ASSERT(m_phase != phase_install_confirm);
  if (!dojob_verify_installer()) {
    dojob_fail(true);
    return;
  }
  m_phase = phase_install_confirm;
  mView->change_phase(m_phase);
}

bool DlgDownloadCore::dojob_create_tmp_file() {
  std::u16string path;
  if (!mSystem->CreateTmpFile(&path)) {
    QEL_ASSERT(false);
    return false;
  }
  mFileName = path;
  mFileOpen = true;
  return true;
}

bool DlgDownloadCore::dojob_write_to_file(const ZulData& chunk) {
  if (mSystem->WriteTmpFile(chunk.GetData(), chunk.GetLength()))
    return true;
  QEL_ASSERT(false);
  return false;
}

bool DlgDownloadCore::IsAcceptable(const platform::InstallerFacts& facts,
                                   const std::u16string& running_version) {
  return facts.trust_status == 0 && facts.chain_status == 0 && facts.policy_status == 0 &&
         facts.code_signing_usage && facts.organization == kPublisher && !running_version.empty() &&
         qel_version_is_newer(facts.file_version, running_version);
}

bool DlgDownloadCore::dojob_verify_installer() {
  if (mFileName.empty())
    return false;
  if (!mSystem->IsHeld() && !mSystem->Hold(mFileName))
    return false;
  platform::InstallerFacts facts;
  return mSystem->Inspect(mFileName, &facts) && IsAcceptable(facts, mArgs.running_version);
}

bool DlgDownloadCore::dojob_start_installer() {
  QEL_ASSERT(m_phase == phase_install_confirm);
  bool started = mSystem->StartInstaller(mFileName);
  mSystem->Release();
  if (!started)
    QEL_ASSERT(false);
  return started;
}

void DlgDownloadCore::dojob_discard_file() {
  mSystem->Release();
  if (!mFileName.empty())
    mSystem->DeleteTmpFile(mFileName);
}

void DlgDownloadCore::dojob_fail(bool not_verified) {
  if (not_verified)
    dojob_discard_file();
  QEL_ASSERT(m_phase != phase_download_failed);
  m_phase = phase_download_failed;
  mView->change_phase(m_phase);
  if (not_verified)
    mView->show_not_verified();
}
