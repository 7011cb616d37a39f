#include "net/qel_update_checker.h"

#include <algorithm>

#include "platform/text.h"
#include "qel_lib/qel_assert.h"

namespace {

constexpr const char16_t* kTags[6] = {
    u"recommended_version", u"recommended_version_host", u"recommended_version_url",
    u"min_version",         u"min_version_host",         u"min_version_url",
};

bool is_blank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

}  // namespace

ZulUpdateChecker::ZulUpdateChecker() = default;

ZulUpdateChecker::~ZulUpdateChecker() {
  Finalize();
}

bool ZulUpdateChecker::Create(const std::u16string& host,
                              const std::u16string& path,
                              const std::u16string& first_check_path,
                              int32_t days,
                              bool check_now) {
  int64_t ms = days > 0 ? int64_t{days} * 86400000 : 0;
  if (!Create(host, path, first_check_path, std::chrono::milliseconds(ms), check_now))
    return false;
  mCheckIntervalDays = days;
  return true;
}

bool ZulUpdateChecker::Create(const std::u16string& host,
                              const std::u16string& path,
                              const std::u16string& first_check_path,
                              std::chrono::milliseconds period,
                              bool check_now) {
  if (mIsValid || host.empty() || path.empty() || first_check_path.empty())
    return false;
  if (!QEL_ASSERT_MSG(get_detail(), "locked"))
    return false;
  mIsValid = true;
  mHost = host;
  mPath = path;
  mFirstCheckPath = first_check_path;
  mTimer = shared_ptr<ZulTimer<ZulUpdateChecker>>(new ZulTimer<ZulUpdateChecker>);
  mTimer->Bind(shared_ptr<ZulUpdateChecker>(this), &ZulUpdateChecker::OnCheckTimer);
  // A period of zero or less never fires, as a timer started with 0 stays stopped.
  if (period.count() > 0) {
    mDeadline = std::chrono::steady_clock::now() + period;
    dojob_arm_timer();
  }
  if (check_now)
    StartCheck();
  return true;
}

// The 32-bit timer holds about 49 days; longer periods run as a chain of shorter timers
// aimed at one deadline, so exactly one check follows, one period after Create.
bool ZulUpdateChecker::dojob_arm_timer() {
  // Rounded up: a check never comes before the deadline.
  auto left =
      std::chrono::ceil<std::chrono::milliseconds>(mDeadline - std::chrono::steady_clock::now());
  if (left.count() <= 0)
    return false;
  uint64_t slice = std::min<uint64_t>(static_cast<uint64_t>(left.count()), mTimerSliceMs);
  return mTimer->Start(static_cast<unsigned>(slice));
}

void ZulUpdateChecker::OnCheckTimer() {
  if (dojob_arm_timer())
    return;
  if (!mIsChecking)
    StartCheck();
}

void ZulUpdateChecker::Finalize() {
  if (!mIsValid)
    return;
  if (mDlgDownload) {
    mDlgDownload->Close();
    mDlgDownload = shared_ptr<DlgDownloadCore>();
  }
  Stop();
  mIsValid = false;
  if (mTimer) {
    mTimer->Bind(shared_ptr<ZulUpdateChecker>(), nullptr);
    mTimer->Stop();
    mTimer = shared_ptr<ZulTimer<ZulUpdateChecker>>();
  }
}

bool ZulUpdateChecker::Attach(ZulUpdateSubject::IObserverAdapter* adapter) {
  return mSubject.Attach(adapter, 0);
}

bool ZulUpdateChecker::Detach(ZulUpdateSubject::IObserverAdapter* adapter) {
  return mSubject.Detach(adapter);
}

void ZulUpdateChecker::StartCheck() {
  if (mIsChecking)
    return;
  mIsChecking = true;
  mContentRecvedLen = 0;
  mContentLen = 0;
  mContent.clear();
  mContentBytes.clear();
  mIsFirstCheck = true;
  if (mProfileKey)
    mProfileKey->GetBool("first_check", &mIsFirstCheck);
  const std::u16string& path = mIsFirstCheck ? mFirstCheckPath : mPath;
  if (!mHttpAgent)
    mHttpAgent = mAgentFactory ? mAgentFactory() : shared_ptr<ZulHttpAgent>(new ZulHttpAgent);
  if (mHttpAgent->IsBusy()) {
    QEL_ASSERT(false);
    Stop();
    PublishFailure();
    return;
  }
  mAgentObserver.Bind(shared_ptr<ZulUpdateChecker>(this), &ZulUpdateChecker::OnHttpAgentEvt);
  mHttpAgent->Attach(&mAgentObserver, 0);
  // A failure inside Start reaches OnHttpAgentEvt, which drops mHttpAgent: hold it here.
  shared_ptr<ZulHttpAgent> agent = mHttpAgent;
  bool rtn = agent->Start(ZulHttpAgent::kGet, mHost, 80, path, ZulData(0, 256));
  if (!rtn) {
    QEL_ASSERT(rtn);
    Stop();
    PublishFailure();
  }
}

void ZulUpdateChecker::Stop() {
  if (!mIsChecking)
    return;
  mIsChecking = false;
  mContentRecvedLen = 0;
  mContentLen = 0;
  mContent.clear();
  mContentBytes.clear();
  if (mHttpAgent && mHttpAgent->IsBusy())
    mHttpAgent->Stop();
  if (mHttpAgent) {
    mAgentObserver.Bind(shared_ptr<ZulUpdateChecker>(), nullptr);
    mHttpAgent->Detach(&mAgentObserver);
    mHttpAgent = shared_ptr<ZulHttpAgent>();
  }
}

void ZulUpdateChecker::PublishFailure() {
  ZulUpdateEvt failure;
  mSubject.Notify(&failure);
}

void ZulUpdateChecker::OnHttpAgentEvt(const ZulHttpAgentEvt* event) {
  switch (event->mType) {
    case ZulHttpAgentEvt::kFailed:
      Stop();
      PublishFailure();
      return;
    case ZulHttpAgentEvt::kStatus:
      if (event->mStatusCode == 200)
        return;
      QEL_ASSERT(false);
      Stop();
      PublishFailure();
      return;
    case ZulHttpAgentEvt::kHeader:
      mContentLen = event->mContentLen;
      if (mContentLen > kMaxDocumentBytes) {
        Stop();
        PublishFailure();
      }
      return;
    case ZulHttpAgentEvt::kContent:
      dojob_content(event->mContent);
      return;
  }
  QEL_ASSERT(false);
  Stop();
  PublishFailure();
}

void ZulUpdateChecker::dojob_content(const ZulData& chunk) {
  uint32_t dataLen = chunk.GetLength();
  if (!QEL_ASSERT(dataLen))
    return;
  int64_t total = int64_t{mContentRecvedLen} + dataLen;
  if (total > mContentLen || total > kMaxDocumentBytes) {
    Stop();
    PublishFailure();
    return;
  }
  mContentBytes.append(reinterpret_cast<const char*>(chunk.GetData()), dataLen);
  mContentRecvedLen = static_cast<int32_t>(total);
  if (mContentRecvedLen == mContentLen)
    dojob_document_complete();
}

void ZulUpdateChecker::dojob_document_complete() {
  mContent = platform::from_ansi(mContentBytes);
  ZulUpdateEvt result;
  std::u16string* values[6] = {
      &result.mRecommendedVersion, &result.mRecommendedVersionHost, &result.mRecommendedVersionUrl,
      &result.mMinVersion,         &result.mMinVersionHost,         &result.mMinVersionUrl,
  };
  for (int i = 0; i < 6; ++i)
    *values[i] = ExtractValue(mContent, kTags[i]);
  Stop();
  if (result.mRecommendedVersion.empty())
    return;
  if (mIsFirstCheck) {
    mIsFirstCheck = false;
    if (mProfileKey)
      mProfileKey->SetBool("first_check", false);
  }
  result.mSucceeded = true;
  mSubject.Notify(&result);
}

std::u16string ZulUpdateChecker::ExtractValue(const std::u16string& document,
                                              const std::u16string& tag) {
  std::u16string open = u"<" + tag + u">";
  std::u16string close = u"</" + tag + u">";
  size_t open_at = document.find(open);
  size_t close_at = document.find(close);
  if (open_at == std::u16string::npos || close_at == std::u16string::npos)
    return std::u16string();
  size_t start = open_at + open.size();
  size_t end = close_at;
  if (start >= end)
    return std::u16string();
  while (start < end && is_blank(document[start]))
    ++start;
  while (end > start && is_blank(document[end - 1]))
    --end;
  return document.substr(start, end - start);
}

bool ZulUpdateChecker::ShowDownloadDialog(const std::u16string& product_name,
                                          const std::u16string& version,
                                          const std::u16string& host,
                                          const std::u16string& path) {
  if (mDlgDownload) {
    mDlgDownload->Close();
    mDlgDownload = shared_ptr<DlgDownloadCore>();
  }
  if (!mDownloadFactory)
    return false;
  DlgDownloadCore::Args args{product_name, version, host, 80, path, {}};
  mDlgDownload = mDownloadFactory(args);
  if (!mDlgDownload)
    return false;
  mDlgDownload->Create();
  return true;
}
