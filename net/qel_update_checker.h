// Finds out whether a newer version is offered: fetches the version document from the update
// server, reads its six tagged values and publishes them to the observers.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/qel_dlg_download_core.h"
#include "net/qel_http_agent.h"
#include "qel_lib/qel_subject.h"
#include "qel_lib/qel_timer.h"

struct ZulUpdateEvt {
  bool mSucceeded = false;
  std::u16string mRecommendedVersion;
  std::u16string mRecommendedVersionHost;
  std::u16string mRecommendedVersionUrl;
  std::u16string mMinVersion;
  std::u16string mMinVersionHost;
  std::u16string mMinVersionUrl;
};
// The record's name of old; see ZulHttpAgentEvt.
using _ZulUpdateEvt = ZulUpdateEvt;

using ZulUpdateSubject = SimpleSubject<void*, void, const ZulUpdateEvt*>;

// Where the checker keeps its "first_check" value; in the program the "update_checker"
// registry key below the application's key.
class ZulUpdateCheckerStore {
 public:
  virtual ~ZulUpdateCheckerStore() = default;
  // False when the value is missing or unreadable; *value is then left alone.
  virtual bool GetBool(const char* name, bool* value) = 0;
  virtual bool SetBool(const char* name, bool value) = 0;
};

class ZulUpdateChecker : public ZulIObject {
 public:
  using AgentFactory = std::function<shared_ptr<ZulHttpAgent>()>;

  // Documents longer than this fail the check: the version document is a few lines.
  static constexpr int32_t kMaxDocumentBytes = 64 * 1024;
  // The longest single timer; longer periods are covered by several in a row.
  static constexpr uint32_t kDefaultTimerSliceMs = 24u * 60 * 60 * 1000;

  ZulUpdateChecker();
  ~ZulUpdateChecker() override;

  // The checker must be held by a shared_ptr: its timer and agent hold it weakly.
  bool Create(const std::u16string& host,
              const std::u16string& path,
              const std::u16string& first_check_path,
              int32_t days,
              bool check_now);
  // The same with the period given exactly; Create(days) comes here too.
  bool Create(const std::u16string& host,
              const std::u16string& path,
              const std::u16string& first_check_path,
              std::chrono::milliseconds period,
              bool check_now);
  void Finalize();

  void StartCheck();
  void CheckNow() { StartCheck(); }
  // Closes any dialog shown before and shows a new one; false without a view factory.
  bool ShowDownloadDialog(const std::u16string& product_name,
                          const std::u16string& version,
                          const std::u16string& host,
                          const std::u16string& path);

  bool Attach(ZulUpdateSubject::IObserverAdapter* adapter);
  bool Detach(ZulUpdateSubject::IObserverAdapter* adapter);

  void OnHttpAgentEvt(const ZulHttpAgentEvt* event);
  void OnCheckTimer();

  // Wiring set before Create: where "first_check" is kept (without a store every check is a
  // first check), how agents are made (a plain agent by default), the longest timer, and
  // how the download dialog is made (without a factory none is shown).
  void SetStore(std::shared_ptr<ZulUpdateCheckerStore> store) { mProfileKey = std::move(store); }
  void SetAgentFactory(AgentFactory factory) { mAgentFactory = std::move(factory); }
  void SetTimerSlice(uint32_t ms) { mTimerSliceMs = ms ? ms : 1; }
  void SetDownloadFactory(DlgDownloadCore::Factory factory) {
    mDownloadFactory = std::move(factory);
  }

  bool IsChecking() const { return mIsChecking; }
  const shared_ptr<DlgDownloadCore>& GetDownloadDialog() const { return mDlgDownload; }

  // The value between "<tag>" and "</tag>", both first occurrences, trimmed; empty when
  // either is missing or the close comes first.
  static std::u16string ExtractValue(const std::u16string& document, const std::u16string& tag);

 private:
  void Stop();
  void PublishFailure();
  void dojob_content(const ZulData& chunk);
  void dojob_document_complete();
  bool dojob_arm_timer();

  bool mIsValid = false;
  bool mIsChecking = false;
  std::u16string mHost;
  std::u16string mPath;
  std::u16string mFirstCheckPath;
  bool mIsFirstCheck = true;
  std::shared_ptr<ZulUpdateCheckerStore> mProfileKey;
  ZulUpdateSubject mSubject;
  shared_ptr<ZulTimer<ZulUpdateChecker>> mTimer;
  int32_t mCheckIntervalDays = 0;
  ObserverAdapter<ZulUpdateChecker, ZulHttpAgentSubject> mAgentObserver;
  shared_ptr<ZulHttpAgent> mHttpAgent;
  int32_t mContentLen = 0;
  int32_t mContentRecvedLen = 0;
  std::u16string mContent;
  std::string mContentBytes;  // converted once complete, so no character is cut in two
  shared_ptr<DlgDownloadCore> mDlgDownload;

  AgentFactory mAgentFactory;
  DlgDownloadCore::Factory mDownloadFactory;
  uint32_t mTimerSliceMs = kDefaultTimerSliceMs;
  std::chrono::steady_clock::time_point mDeadline;
};
