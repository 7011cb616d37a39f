// The COM objects in-process with the whole application: the UI object handed out by the
// application object, requests to a connected engine sink, and the engine's reports
// reaching the main window and the library.
#include "app/co_qel_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/co_qel_app_msn.h"
#include "app/qel_app.h"
#include "library/qel_app_constants.h"
#include "library/qel_profile.h"
#include "platform/testing/recycle_bin.h"
#include "platform/win32/scoped_handle.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "tools/engine_sim/avi_writer.h"
#include "ui/qel_top_wnd.h"
#include "ui/testing/dialog_driver.h"

namespace fs = std::filesystem;

namespace {

// An engine sink in this process: records the requests, answers with `result`. Once `dead`,
// it answers everything as a proxy to an ended process does.
class FakeEngine : public IQelUIEvents {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (dead)
      return RPC_E_SERVER_DIED;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IQelUIEvents)) {
      *out = static_cast<IQelUIEvents*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP EngineReserved1() override { return E_NOTIMPL; }
  STDMETHODIMP EngineReserved2() override { return E_NOTIMPL; }
  STDMETHODIMP RequestRecord(BSTR path) override {
    if (dead)
      return RPC_E_SERVER_DIED;
    records.push_back(path);
    return result;
  }
  STDMETHODIMP RequestStop() override {
    if (dead)
      return RPC_E_SERVER_DIED;
    ++stops;
    return result;
  }

  ULONG refs = 1;
  HRESULT result = S_OK;
  bool dead = false;
  std::vector<std::wstring> records;
  int stops = 0;
};

ZulProfileValue dest_dir_value() {
  return ZulProfileKey::Root_CurrentUser()
      .GetSubKey(g_qel_settings_path)
      .GetSubKey("avi_file_info_cache")
      .GetValue("dest_dir");
}

class CoQelUiTest : public ::testing::Test {
 protected:
  // One application per test program: qel_get_app hands out the first one for good.
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir_ = new fs::path(fs::path(temp) / ("qel-co-ui-" + std::to_string(GetCurrentProcessId())));
    fs::remove_all(*dir_);
    fs::create_directories(*dir_);
    std::wstring dir = dir_->wstring();
    had_dest_ = dest_dir_value().GetBinary(saved_dest_, sizeof saved_dest_, &saved_len_);
    dest_dir_value().SetBinary(dir.data(), static_cast<uint32_t>(dir.size() * 2));
    app_ = new shared_ptr<c_quorvantine_app>(qel_create_app(u"/start_context user_manual"));
  }
  static void TearDownTestSuite() {
    if (app_->valid())
      (*app_)->Finalize();
    delete app_;
    if (had_dest_) {
      dest_dir_value().SetBinary(saved_dest_, saved_len_);
    } else {
      // Left behind, the removed folder would become the next program's recording folder.
      std::string key = std::string(g_qel_settings_path) + "\\avi_file_info_cache";
      HKEY cache = nullptr;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &cache) == 0)
        RegDeleteValueA(platform::ScopedRegKey(cache).get(), "dest_dir");
    }
    std::error_code ec;
    fs::remove_all(*dir_, ec);
    delete dir_;
    CoUninitialize();
  }
  void SetUp() override {
    ASSERT_TRUE(app_->valid());
    top_wnd_ = (*app_)->GetTopWnd();
    ASSERT_TRUE(top_wnd_.valid());
    ASSERT_EQ(co_qel_app_msn::CreateInstance(&app_object_), S_OK);
    ASSERT_EQ(app_object_->GetUI(&ui_), S_OK);
    ASSERT_NE(ui_, nullptr);
  }
  void TearDown() override {
    if (point_ && cookie_)
      point_->Unadvise(cookie_);
    if (point_)
      point_->Release();
    ui_->Release();
    app_object_->Release();
    EXPECT_EQ(engine_.refs, 1u) << "every reference to the sink is given back";
  }
  // What the window shows: its stream lines, its list rows and its status bar.
  std::vector<std::wstring> Streams() {
    CMyTopWndCoreStt* frame = top_wnd_->GetFrame();
    return {frame->dojob_audio_stream_text(), frame->dojob_local_stream_text(),
            frame->dojob_remote_stream_text()};
  }
  int Rows() {
    return ListView_GetItemCount(GetDlgItem(top_wnd_->GetSafeHwnd(), IDC_HISTORY_LIST));
  }
  int RecordInfoMode() { return top_wnd_->GetFrame()->get_record_info_mode(); }
  std::wstring Status() {
    wchar_t text[256] = {};
    SendMessageW(GetDlgItem(top_wnd_->GetSafeHwnd(), IDC_STATUS_BAR), SB_GETTEXTW, 0,
                 reinterpret_cast<LPARAM>(text));
    return text;
  }
  static std::wstring FilesText(int files) { return std::to_wstring(files) + L" files,"; }
  void ConnectEngine() {
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(
        ui_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
        S_OK);
    ASSERT_EQ(container->FindConnectionPoint(IID_IQelUIEvents, &point_), S_OK);
    container->Release();
    ASSERT_EQ(point_->Advise(&engine_, &cookie_), S_OK);
  }
  void Command(WORD id) { SendMessageW(top_wnd_->GetSafeHwnd(), WM_COMMAND, id, 0); }
  // A small real recording in the recording folder.
  std::wstring Recording(const std::wstring& name) {
    std::wstring path = (*dir_ / name).wstring();
    AviWriter writer;
    EXPECT_TRUE(writer.Open(path, 32, 24));
    for (int i = 0; i < AviWriter::kFps; ++i)
      writer.WriteFrame();
    EXPECT_TRUE(writer.Close());
    return path;
  }

  static inline fs::path* dir_ = nullptr;
  static inline shared_ptr<c_quorvantine_app>* app_ = nullptr;
  static inline bool had_dest_ = false;
  static inline uint8_t saved_dest_[4096] = {};
  static inline uint32_t saved_len_ = 0;

  AssertCapture capture_;
  shared_ptr<CMyTopWnd> top_wnd_;
  co_qel_app_msn* app_object_ = nullptr;
  IQelUI* ui_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
  FakeEngine engine_;
};

TEST_F(CoQelUiTest, GetUiHandsOutOneUiObjectAndANullPointerCreatesNothing) {
  IQelUI* again = nullptr;
  ASSERT_EQ(app_object_->GetUI(&again), S_OK);
  EXPECT_EQ(again, ui_);
  again->Release();
  // The program's adapter, its own UI object and this one listen to the main window.
  EXPECT_EQ(top_wnd_->m_ui_cmd_sink.size(), 3u);

  app_object_->ReleaseUI();
  EXPECT_EQ(top_wnd_->m_ui_cmd_sink.size(), 2u);
  EXPECT_EQ(app_object_->GetUI(nullptr), S_OK);
  EXPECT_EQ(app_object_->ui(), nullptr);
  EXPECT_EQ(top_wnd_->m_ui_cmd_sink.size(), 2u);
  ASSERT_EQ(app_object_->GetUI(&again), S_OK);
  EXPECT_NE(app_object_->ui(), nullptr);
  again->Release();
  EXPECT_EQ(capture_.count(), 0u);
}

// The engine decides when the program is seen: both requests go each way, and end where
// the program started (window and icon shown).
TEST_F(CoQelUiTest, EngineShowsAndHidesTheWindowAndTheTrayIcon) {
  HWND wnd = top_wnd_->GetSafeHwnd();
  for (BOOL show : {FALSE, TRUE, FALSE, TRUE}) {
    SCOPED_TRACE(show);
    EXPECT_EQ(ui_->ShowUI(show), S_OK);
    EXPECT_EQ(IsWindowVisible(wnd) != 0, show != FALSE);
    EXPECT_EQ(ui_->ShowTrayIcon(show), S_OK);
    EXPECT_EQ(top_wnd_->GetFrame()->get_tray().is_shown(), show != FALSE);
  }
  EXPECT_EQ(capture_.count(), 0u);
}

TEST_F(CoQelUiTest, RecordAndStopCommandsReachTheEngineAndARefusalResetsTheStreams) {
  ui_->SetWebcamStreams(1, 2);
  ui_->SetAudioStreams(3, 4);
  std::vector<std::wstring> shown = {L"7 audio streams", L"1 local webcam", L"2 remote webcam"};
  EXPECT_EQ(Streams(), shown);
  // Without a sink nothing reaches an engine and the window keeps its state.
  Command(kQelWndRecord);
  EXPECT_EQ(Streams(), shown);

  ConnectEngine();
  Command(kQelWndRecord);
  ASSERT_EQ(engine_.records.size(), 1u);
  std::wstring prefix = dir_->wstring() + L"\\";
  EXPECT_EQ(engine_.records[0].substr(0, prefix.size()), prefix);
  EXPECT_EQ(engine_.records[0].size(), prefix.size() + 19) << "YYYY-MM-DD HH-MM-SS";
  Command(kQelWndStop);
  EXPECT_EQ(engine_.stops, 1);
  EXPECT_EQ(Streams(), shown);

  engine_.result = E_FAIL;
  Command(kQelWndRecord);
  EXPECT_EQ(engine_.records.size(), 2u);
  std::vector<std::wstring> none = {L"0 audio streams", L"0 local webcam", L"0 remote webcam"};
  EXPECT_EQ(Streams(), none);
  ui_->SetWebcamStreams(1, 1);
  Command(kQelWndStop);
  EXPECT_EQ(Streams(), none) << "a refused stop resets as well";
}

TEST_F(CoQelUiTest, FinishedRecordingsJoinTheLibraryAtMostTwoAtATime) {
  ASSERT_EQ(ui_->OnRecordStarted(), S_OK);
  EXPECT_EQ(RecordInfoMode(), 1);
  int files = top_wnd_->GetFrame()->get_total_files();
  int history = Rows();

  std::wstring a = Recording(L"a.avi"), b = Recording(L"b.avi"), c = Recording(L"c.avi");
  BSTR paths[] = {SysAllocString(a.c_str()), SysAllocString(b.c_str()), SysAllocString(c.c_str())};
  BSTR* save[] = {&paths[0], &paths[1], &paths[2]};
  EXPECT_EQ(ui_->OnRecordStopped(3, save, 0, nullptr, 1700000000), S_OK);
  EXPECT_TRUE(
      capture_.Has("co_qel_ui::OnRecordStopped", "_save_list_size <= QEL_MAX_OUTPUT_FILE_COUNT"));
  EXPECT_EQ(RecordInfoMode(), 0);
  EXPECT_EQ(Status().rfind(FilesText(files + 2), 0), 0u) << Status();
  EXPECT_EQ(Rows(), history + 2);

  // An empty saved path is skipped; the discarded file goes to the recycle bin.
  capture_.Clear();
  std::wstring d = Recording(L"d.avi"), temp = Recording(L"d.tmp");
  BSTR empty = SysAllocString(L"");
  BSTR next = SysAllocString(d.c_str());
  BSTR discard = SysAllocString(temp.c_str());
  BSTR* save2[] = {&empty, &next};
  BSTR* del[] = {&discard};
  EXPECT_EQ(ui_->OnRecordStopped(2, save2, 0, nullptr, 1700000100), S_OK);
  EXPECT_EQ(Status().rfind(FilesText(files + 3), 0), 0u) << Status();
  BSTR* save3[] = {&next};
  EXPECT_EQ(ui_->OnRecordStopped(1, save3, 1, del, 1700000100), S_OK);
  EXPECT_FALSE(fs::exists(temp));
  test_env::RecycleBin bin;
  EXPECT_TRUE(bin.holds(temp)) << "the discarded file can be restored from the bin";
  bin.remove(temp);
  EXPECT_EQ(capture_.count(), 0u);
  for (BSTR s : {paths[0], paths[1], paths[2], empty, next, discard})
    SysFreeString(s);

  // A discarded path names one file: a wildcard or a folder would take more with it.
  fs::create_directories(*dir_ / L"kept folder");
  std::ofstream(*dir_ / L"kept folder" / L"inside.txt") << "kept";
  std::ofstream(*dir_ / L"kept.tmp") << "kept";
  for (std::wstring odd : {(*dir_ / L"*.tmp").wstring(), (*dir_ / L"kept folder").wstring(),
                           (*dir_ / L"kept fold?r").wstring()}) {
    BSTR saved = SysAllocString(Recording(L"e.avi").c_str());
    BSTR discarded = SysAllocString(odd.c_str());
    BSTR* save4[] = {&saved};
    BSTR* del4[] = {&discarded};
    EXPECT_EQ(ui_->OnRecordStopped(1, save4, 1, del4, 1700000200), S_OK);
    SysFreeString(saved);
    SysFreeString(discarded);
  }
  EXPECT_TRUE(fs::exists(*dir_ / L"kept folder" / L"inside.txt"));
  EXPECT_TRUE(fs::exists(*dir_ / L"kept.tmp"));
}

// Delete in the list, answered Yes: the file is in the recycle bin, where the user can
// restore it from, and its row is gone.
TEST_F(CoQelUiTest, DeleteFromTheListSendsTheFileToTheRecycleBin) {
  std::wstring path = Recording(L"to be deleted.avi");
  BSTR saved = SysAllocString(path.c_str());
  BSTR* save[] = {&saved};
  ASSERT_EQ(ui_->OnRecordStopped(1, save, 0, nullptr, 1900000000), S_OK);
  SysFreeString(saved);
  HWND list = GetDlgItem(top_wnd_->GetSafeHwnd(), IDC_HISTORY_LIST);
  int rows = Rows();
  int row = -1;
  for (int i = 0; i < rows && row < 0; ++i) {
    wchar_t text[256] = {};
    LVITEMW item = {};
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    if (std::wstring(text) == L"to be deleted")
      row = i;
  }
  ASSERT_GE(row, 0);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(dlg_testing::answer_delete_question(IDYES, [&] { Command(kQelWndDelete); }),
            L"Are you sure you want to delete the file to be deleted?");
  EXPECT_EQ(Rows(), rows - 1);
  EXPECT_FALSE(fs::exists(path));
  test_env::RecycleBin bin;
  EXPECT_TRUE(bin.holds(path)) << "in the bin, not merely gone";
  bin.remove(path);
  EXPECT_EQ(capture_.count(), 0u);
}

TEST_F(CoQelUiTest, StartFailuresGoToTheMainWindow) {
  EXPECT_EQ(ui_->OnRecordStartFailed(1), S_OK);
  HWND box = FindWindowW(nullptr, L"Failed to start recording.");
  ASSERT_NE(box, nullptr) << "the window's message box";
  DestroyWindow(box);
  EXPECT_EQ(ui_->OnRecordStartFailed(0), S_OK);
  EXPECT_EQ(RecordInfoMode(), 2);
  EXPECT_EQ(ui_->OnRecordStartFailed(7), S_OK);
  EXPECT_TRUE(capture_.Has("CMyTopWndCore::OnRecordStartFailed", "false"));
  // Stop hides the "no stream" panel before asking the engine.
  Command(kQelWndStop);
  EXPECT_EQ(RecordInfoMode(), 0);
}

// The program's visible message boxes with this title.
int Boxes(const wchar_t* title) {
  int n = 0;
  for (HWND wnd = nullptr; (wnd = FindWindowExW(nullptr, wnd, nullptr, title));)
    n += IsWindowVisible(wnd) != 0;
  return n;
}

// Engines in other processes: one that took the recording, one that had nothing to record.
// A process end finds the dead among them without calling their methods; only the death of
// the one that took it files the recording, once, whatever is told or pressed afterwards.
TEST_F(CoQelUiTest, EngineThatDiesMidRecordingIsNoticedWhenAProcessEnds) {
  constexpr wchar_t kEnded[] = L"The recording ended unexpectedly.";
  FakeEngine idle;
  idle.result = S_FALSE;
  ConnectEngine();
  DWORD idle_cookie = 0;
  ASSERT_EQ(point_->Advise(&idle, &idle_cookie), S_OK);
  ui_->SetWebcamStreams(1, 1);
  int files = top_wnd_->GetFrame()->get_total_files();
  int history = Rows();
  (*app_)->OnOCProcessEnded(4001);
  EXPECT_EQ(Boxes(kEnded), 0) << "nothing was recording";

  Command(kQelWndRecord);
  ASSERT_EQ(engine_.records.size(), 1u);
  ASSERT_EQ(idle.records.size(), 1u);
  ASSERT_EQ(ui_->OnRecordStarted(), S_OK);
  // What the engine wrote before it died: frames, no sizes, no index.
  std::wstring avi = engine_.records[0] + L".avi";
  {
    std::wstring whole = Recording(L"whole.avi");
    std::ifstream in(fs::path(whole), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(fs::path(avi), std::ios::binary) << bytes.substr(0, bytes.find("idx1") - 200);
  }

  idle.dead = true;
  (*app_)->OnOCProcessEnded(4002);
  EXPECT_EQ(idle.refs, 1u) << "the dead engine is let go";
  EXPECT_EQ(idle.stops, 0);
  EXPECT_EQ(RecordInfoMode(), 1) << "the other engine still records";
  EXPECT_EQ(Boxes(kEnded), 0);

  engine_.dead = true;
  (*app_)->OnOCProcessEnded(4003);
  EXPECT_EQ(engine_.stops, 0) << "found without a call";
  EXPECT_EQ(RecordInfoMode(), 0);
  EXPECT_FALSE(top_wnd_->GetFrame()->get_tray().is_animating());
  EXPECT_EQ(Rows(), history + 1);
  EXPECT_EQ(Status().rfind(FilesText(files + 1), 0), 0u) << Status();
  EXPECT_EQ(Boxes(kEnded), 1);

  Command(kQelWndStop);
  (*app_)->OnOCProcessEnded(4003);
  EXPECT_EQ(Rows(), history + 1);
  EXPECT_EQ(Boxes(kEnded), 1);
  EXPECT_EQ(capture_.count(), 0u);
  DestroyWindow(FindWindowW(nullptr, kEnded));
}

}  // namespace
