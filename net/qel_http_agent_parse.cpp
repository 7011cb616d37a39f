// The reply parser of ZulHttpAgent: status line, header block, then content.
#include <cstring>
#include <string_view>

#include "net/qel_http_agent.h"
#include "qel_lib/qel_assert.h"

namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void skip_space(std::string_view& s) {
  while (!s.empty() && is_space(s.front()))
    s.remove_prefix(1);
}

// Reads a decimal number as "%d" would, refusing what does not fit 32 bits.
enum class Scan { kNone, kOk, kOutOfRange };
Scan scan_int(std::string_view& s, int64_t* value) {
  skip_space(s);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s.front() < '0' || s.front() > '9')
    return Scan::kNone;
  int64_t v = 0;
  bool too_big = false;
  while (!s.empty() && s.front() >= '0' && s.front() <= '9') {
    if (v <= INT32_MAX)
      v = v * 10 + (s.front() - '0');
    too_big = too_big || v > static_cast<int64_t>(INT32_MAX) + 1;
    s.remove_prefix(1);
  }
  *value = negative ? -v : v;
  if (too_big || *value > INT32_MAX || *value < INT32_MIN)
    return Scan::kOutOfRange;
  return Scan::kOk;
}

// "HTTP/%*s %d" on text whose leading white space is gone; true with a non-zero code.
bool scan_status(std::string_view s, int32_t* code) {
  if (s.substr(0, 5) != "HTTP/")
    return false;
  s.remove_prefix(5);
  skip_space(s);
  if (s.empty())
    return false;
  while (!s.empty() && !is_space(s.front()))
    s.remove_prefix(1);
  int64_t v = 0;
  if (scan_int(s, &v) != Scan::kOk || v == 0)
    return false;
  *code = static_cast<int32_t>(v);
  return true;
}

// The end of the header block in data, searched from CR to CR; 0 while it is incomplete.
uint32_t find_block_end(const uint8_t* data, uint32_t length, uint32_t from) {
  if (length >= 2 && data[0] == '\r' && data[1] == '\n')
    return 2;
  for (uint32_t i = from; i + 3 < length; ++i) {
    const void* cr = std::memchr(data + i, '\r', length - 3 - i);
    if (!cr)
      return 0;
    i = static_cast<uint32_t>(static_cast<const uint8_t*>(cr) - data);
    if (data[i + 1] == '\n' && data[i + 2] == '\r' && data[i + 3] == '\n')
      return i + 4;
  }
  return 0;
}

}  // namespace

void ZulHttpAgent::ProcessData(bool closed) {
  if (!QEL_ASSERT(mIsBusy))
    return;
  if (!mStatusLineLen && !dojob_status_line(closed))
    return;
  if (!mHeaderLen && !dojob_header(closed))
    return;
  dojob_content(closed);
}

bool ZulHttpAgent::dojob_status_line(bool closed) {
  uint32_t length = mInData.GetLength();
  const uint8_t* data = mInData.GetData();
  const void* lf = length ? std::memchr(data, '\n', length) : nullptr;
  if (!lf) {
    if (length >= kMaxHeadBytes)
      Fail(kErrHeader);
    else if (closed)
      Fail(kErrClosedEarly);
    return false;
  }
  mStatusLineLen = static_cast<uint32_t>(static_cast<const uint8_t*>(lf) - data) + 1;
  std::string_view line(reinterpret_cast<const char*>(data), mStatusLineLen);
  skip_space(line);
  int32_t code = 0;
  if (!scan_status(line, &code)) {
    Fail(kErrStatusLine);
    return false;
  }
  mInData.Consume(mStatusLineLen);
  mStatusCode = code;
  ZulHttpAgentEvt event;
  event.mType = ZulHttpAgentEvt::kStatus;
  event.mStatusCode = code;
  Notify(event);
  return mIsBusy;
}

bool ZulHttpAgent::dojob_header(bool closed) {
  uint32_t length = mInData.GetLength();
  const uint8_t* data = mInData.GetData();
  uint32_t end = length ? find_block_end(data, length, mHeaderScanPos) : 0;
  if (!end) {
    mHeaderScanPos = length > 3 ? length - 3 : 0;
    if (length + mStatusLineLen >= kMaxHeadBytes)
      Fail(kErrHeader);
    else if (closed)
      Fail(kErrClosedEarly);
    return false;
  }
  mHeaderLen = end;
  if (!mHeader.Load(reinterpret_cast<const char*>(data), end)) {
    Fail(kErrHeader);
    return false;
  }
  mHeaderData.Append(data, end);
  mInData.Consume(end);
  mContentRecvedLen = 0;
  mContentLen = 0;
  const CMimeHeader::Field* field = mHeader.Find("Content-Length");
  std::string_view text = field ? std::string_view(field->value) : std::string_view();
  int64_t value = 0;
  Scan scan = scan_int(text, &value);
  if (scan == Scan::kOutOfRange || (scan == Scan::kOk && value < 0)) {
    Fail(kErrHeader);
    return false;
  }
  if (scan == Scan::kOk)
    mContentLen = static_cast<int32_t>(value);
  ZulHttpAgentEvt event;
  event.mType = ZulHttpAgentEvt::kHeader;
  event.mHeaderData = mHeaderData;
  event.mContentLen = mContentLen;
  Notify(event);
  if (!mIsBusy)
    return false;
  if (!mContentLen) {
    Stop();
    return false;
  }
  return true;
}

void ZulHttpAgent::dojob_content(bool closed) {
  if (mContentRecvedLen >= mContentLen) {
    QEL_ASSERT(false);
    return;
  }
  uint32_t length = mInData.GetLength();
  if (!length) {
    if (closed)
      Fail(kErrClosedEarly);
    return;
  }
  // Bytes beyond the announced length are not part of this reply.
  uint32_t left = static_cast<uint32_t>(mContentLen - mContentRecvedLen);
  uint32_t take = length < left ? length : left;
  ZulHttpAgentEvt event;
  event.mType = ZulHttpAgentEvt::kContent;
  event.mContentLen = mContentLen;
  event.mContentPos = mContentRecvedLen;
  // The received bytes become the content as they are, in a buffer of their own from now on.
  event.mContent = mInData;
  event.mContent.Truncate(take);
  mInData = mSpareData;
  mSpareData = ZulData(0, 256);
  Notify(event);
  if (event.mContent.IsSole()) {
    event.mContent.Clear();
    mSpareData = event.mContent;
  }
  mContentRecvedLen += static_cast<int32_t>(take);
  if (!mIsBusy)
    return;
  if (closed && mContentRecvedLen < mContentLen)
    Fail(kErrClosedEarly);
  else if (mContentRecvedLen == mContentLen)
    Stop();
}
