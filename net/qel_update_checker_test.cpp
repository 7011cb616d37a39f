#include "net/qel_update_checker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/testing/port_agent.h"
#include "net/testing/scripted_socket.h"
#include "net/testing/test_servers.h"
#include "qel_lib/qel_assert_capture.h"

using net_testing::RunFor;
using net_testing::RunUntil;

namespace {

std::string narrow(const std::u16string& s) {
  return std::string(s.begin(), s.end());
}

// The checker's registry key as a map; a missing name reads as missing.
class MemoryStore : public ZulUpdateCheckerStore {
 public:
  bool GetBool(const char* name, bool* value) override {
    auto it = values.find(name);
    if (it == values.end())
      return false;
    *value = it->second;
    return true;
  }
  bool SetBool(const char* name, bool value) override {
    values[name] = value;
    return true;
  }
  std::map<std::string, bool> values;
};

class Listener : public ZulIObject {
 public:
  void OnUpdateEvt(const ZulUpdateEvt* e) { events.push_back(*e); }
  ObserverAdapter<Listener, ZulUpdateSubject> adapter;
  std::vector<ZulUpdateEvt> events;
};

const std::string kRecommendedOnly =
    "<recommended_version>1.3.0.0</recommended_version>"
    "<recommended_version_host>h</recommended_version_host>"
    "<recommended_version_url>/setup.exe</recommended_version_url>";

// One checker wired to the scripted server through a port-redirecting agent, with its
// "first_check" value in memory.
class UpdateCheckerTest : public ::testing::Test {
 protected:
  void SetUp() override { listener_->adapter.Bind(listener_, &Listener::OnUpdateEvt); }
  void TearDown() override { checker_->Finalize(); }

  bool FirstCheckValue(bool* value) const { return store_->GetBool("first_check", value); }

  // Wires the checker to port (0: the scripted server) or to a socket factory.
  void Wire(int port, ZulHttpAgent::SocketFactory sockets = nullptr) {
    checker_->SetStore(store_);
    checker_->SetAgentFactory([this, port, sockets] {
      ++agents_made_;
      return shared_ptr<ZulHttpAgent>(new PortAgent(port, sockets));
    });
    checker_->Attach(&listener_->adapter);
  }
  bool CreateFor(int port,
                 const std::u16string& path,
                 const std::u16string& first_path,
                 bool check_now = true) {
    Wire(port);
    return checker_->Create(u"127.0.0.1", path, first_path, 1000, check_now);
  }
  bool WaitIdle() {
    return RunUntil([&] { return !checker_->IsChecking(); }, 20000);
  }
  const std::vector<ZulUpdateEvt>& events() const { return listener_->events; }

  shared_ptr<ZulUpdateChecker> checker_{new ZulUpdateChecker};
  shared_ptr<Listener> listener_{new Listener};
  std::shared_ptr<MemoryStore> store_ = std::make_shared<MemoryStore>();
  int agents_made_ = 0;
};

TEST(UpdateCheckerValues, ComeFromFirstTagPairsTrimmed) {
  struct Case {
    const char16_t* doc;
    const char16_t* value;
  } cases[] = {
      {u"<t>1.3.0.0</t>", u"1.3.0.0"},
      {u"x<t> \r\n\t1.3 .0\n </t>y", u"1.3 .0"},
      {u"</t>late<t>", u""},  // the close comes first
      {u"value</t>", u""},    // no open
      {u"<t>value", u""},     // no close
      {u"<t></t>", u""},
      {u"<t>a</t><t>b</t>", u"a"},      // first occurrences
      {u"<t><t>in</t></t>", u"<t>in"},  // nesting is not understood, only searched
      {u"<T>a</T><t>b</t>", u"b"},      // case matters
      {u"<t>\u00e9\u4e2d</t>", u"\u00e9\u4e2d"},
      {u"", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(narrow(ZulUpdateChecker::ExtractValue(c.doc, u"t")), narrow(c.value))
        << narrow(c.doc);
}

TEST_F(UpdateCheckerTest, FirstCheckUsesItsPathThenTheRegularOne) {
  QEL_NEED_SERVER(port, "scripted");
  std::string first =
      "<recommended_version> 1.3.0.0\r\n</recommended_version>"
      "<recommended_version_host>\th </recommended_version_host>"
      "<recommended_version_url>/setup.exe</recommended_version_url>";
  std::string regular =
      "<recommended_version>2.0</recommended_version>"
      "<min_version>1.0</min_version><min_version_host>m</min_version_host>"
      "<min_version_url>/m.exe</min_version_url>";
  bool value = true;
  ASSERT_FALSE(FirstCheckValue(&value));  // missing counts as true
  ASSERT_TRUE(CreateFor(port, DocPath(regular), DocPath(first)));
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(events().size(), 1u);
  const ZulUpdateEvt& e = events()[0];
  EXPECT_TRUE(e.mSucceeded);
  EXPECT_EQ(narrow(e.mRecommendedVersion), "1.3.0.0");
  EXPECT_EQ(narrow(e.mRecommendedVersionHost), "h");
  EXPECT_EQ(narrow(e.mRecommendedVersionUrl), "/setup.exe");
  EXPECT_EQ(e.mMinVersion + e.mMinVersionHost + e.mMinVersionUrl, u"");
  ASSERT_TRUE(FirstCheckValue(&value));
  EXPECT_FALSE(value);

  checker_->CheckNow();
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(events().size(), 2u);
  EXPECT_EQ(narrow(events()[1].mRecommendedVersion), "2.0");
  EXPECT_EQ(narrow(events()[1].mMinVersionUrl), "/m.exe");
  EXPECT_EQ(agents_made_, 2);
}

// Megabytes past the announced length never reach the checker: the document is what was
// announced.
TEST_F(UpdateCheckerTest, BytesPastTheAnnouncedLengthAreNotRead) {
  QEL_NEED_SERVER(port, "scripted");
  std::u16string path = u"/over/" + DocPath(kRecommendedOnly).substr(5) + u"/5000000";
  ASSERT_TRUE(CreateFor(port, path, path));
  ASSERT_TRUE(WaitIdle());
  RunFor(300);
  ASSERT_EQ(events().size(), 1u);
  EXPECT_TRUE(events()[0].mSucceeded);
  EXPECT_EQ(narrow(events()[0].mRecommendedVersionUrl), "/setup.exe");
}

TEST_F(UpdateCheckerTest, DocumentWithoutRecommendedVersionIsSilent) {
  QEL_NEED_SERVER(port, "scripted");
  std::u16string path = DocPath("<min_version>1.0</min_version>\xff\xfe junk");
  ASSERT_TRUE(CreateFor(port, path, path));
  ASSERT_TRUE(WaitIdle());
  RunFor(100);
  EXPECT_TRUE(events().empty());
  bool value = false;
  EXPECT_FALSE(FirstCheckValue(&value));
}

struct FailureCase {
  const char* name;
  const char16_t* path;
  int port;  // 0: the scripted server
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class UpdateCheckerFailure : public UpdateCheckerTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateCheckerFailure, PublishesOneEmptyFailure) {
  QEL_NEED_SERVER(scripted, "scripted");
  AssertCapture capture;
  const FailureCase& c = GetParam();
  ASSERT_TRUE(CreateFor(c.port ? c.port : scripted, c.path, c.path));
  ASSERT_TRUE(WaitIdle());
  RunFor(100);
  ASSERT_EQ(events().size(), 1u);
  const ZulUpdateEvt& e = events()[0];
  EXPECT_FALSE(e.mSucceeded);
  EXPECT_EQ(e.mRecommendedVersion + e.mRecommendedVersionHost + e.mRecommendedVersionUrl +
                e.mMinVersion + e.mMinVersionHost + e.mMinVersionUrl,
            u"");
  bool value = false;
  EXPECT_FALSE(FirstCheckValue(&value));
}

INSTANTIATE_TEST_SUITE_P(Replies,
                         UpdateCheckerFailure,
                         ::testing::Values(FailureCase{"NotFound", u"/not-found", 0},
                                           FailureCase{"Refused", u"/v.xml", 1},
                                           FailureCase{"ResetMidDocument", u"/reset/100/40", 0},
                                           FailureCase{"ClosedMidDocument", u"/short", 0},
                                           FailureCase{"OverTheCap", u"/announce/65537", 0},
                                           FailureCase{"BadStatusLine", u"/foo", 0}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                           return info.param.name;
                         });

// A socket that cannot even be created: the agent fails inside Start.
class UncreatableSocket : public ScriptedSocket {
 public:
  bool Create(unsigned, int, long, const char16_t*, int) override { return false; }
};

TEST_F(UpdateCheckerTest, FailureInsideStartIsPublishedTwice) {
  AssertCapture capture;
  checker_->SetStore(store_);
  checker_->SetAgentFactory([] {
    return shared_ptr<ZulHttpAgent>(new ZulHttpAgent(
        [] { return ZulAsyncSocket(shared_ptr<ZulMyCAsyncSocketEx>(new UncreatableSocket)); }));
  });
  checker_->Attach(&listener_->adapter);
  ASSERT_TRUE(checker_->Create(u"updates", u"/v.xml", u"/f.xml", 1000, true));
  ASSERT_EQ(events().size(), 2u);
  EXPECT_FALSE(events()[0].mSucceeded);
  EXPECT_FALSE(events()[1].mSucceeded);
  EXPECT_FALSE(checker_->IsChecking());
  EXPECT_TRUE(capture.Has("ZulUpdateChecker::StartCheck", "rtn"));
}

TEST_F(UpdateCheckerTest, ReplyWithoutLengthLeavesTheCheckRunning) {
  QEL_NEED_SERVER(port, "scripted");
  for (const char16_t* path : {u"/no-length", u"/doc/"}) {
    SCOPED_TRACE(narrow(path));
    shared_ptr<ZulUpdateChecker> checker(new ZulUpdateChecker);
    checker_ = checker;
    agents_made_ = 0;
    ASSERT_TRUE(CreateFor(port, path, path));
    RunFor(600);
    EXPECT_TRUE(checker_->IsChecking());
    checker_->CheckNow();
    checker_->StartCheck();
    RunFor(100);
    EXPECT_EQ(agents_made_, 1);
    EXPECT_TRUE(events().empty());
    checker_->Finalize();
    EXPECT_FALSE(checker_->IsChecking());
  }
}

TEST_F(UpdateCheckerTest, StartCheckDuringACheckDoesNothing) {
  QEL_NEED_SERVER(port, "scripted");
  std::u16string path = u"/chunks/100,100";  // slow enough to still be running
  ASSERT_TRUE(CreateFor(port, path, path));
  checker_->StartCheck();
  checker_->CheckNow();
  ASSERT_TRUE(WaitIdle());
  RunFor(100);
  EXPECT_EQ(agents_made_, 1);
  EXPECT_TRUE(events().empty());  // pattern bytes carry no version
}

TEST_F(UpdateCheckerTest, FinalizeDuringACheckEndsItQuietly) {
  QEL_NEED_SERVER(port, "scripted");
  ASSERT_TRUE(CreateFor(port, u"/chunks/10,10", DocPath(kRecommendedOnly)));
  checker_->Finalize();
  RunFor(600);
  EXPECT_TRUE(events().empty());
  EXPECT_FALSE(checker_->IsChecking());
}

TEST_F(UpdateCheckerTest, CreateRefusesEmptyStringsAndASecondCreate) {
  Wire(1);
  EXPECT_FALSE(checker_->Create(u"", u"/a", u"/b", 1000, false));
  EXPECT_FALSE(checker_->Create(u"h", u"", u"/b", 1000, false));
  EXPECT_FALSE(checker_->Create(u"h", u"/a", u"", 1000, false));
  EXPECT_TRUE(checker_->Create(u"h", u"/a", u"/b", 1000, false));
  EXPECT_FALSE(checker_->Create(u"h", u"/a", u"/b", 1000, false));
  EXPECT_FALSE(checker_->IsChecking());
  EXPECT_EQ(agents_made_, 0);
}

// The long period runs through the same chain of short timers as 1000 days would: a
// 1.2 s period in slices of 250 ms gives exactly one check, not before the period.
TEST_F(UpdateCheckerTest, OneAutomaticCheckAfterThePeriod) {
  QEL_NEED_SERVER(port, "scripted");
  Wire(port);
  checker_->SetTimerSlice(250);
  std::u16string doc = DocPath(kRecommendedOnly);
  auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point fired;
  checker_->SetAgentFactory([&] {
    ++agents_made_;
    fired = std::chrono::steady_clock::now();
    return shared_ptr<ZulHttpAgent>(new PortAgent(port));
  });
  ASSERT_TRUE(checker_->Create(u"127.0.0.1", doc, doc, std::chrono::milliseconds(1200), false));
  RunFor(900);
  EXPECT_EQ(agents_made_, 0);
  ASSERT_TRUE(RunUntil([&] { return events().size() == 1; }, 10000));
  RunFor(1500);
  EXPECT_EQ(agents_made_, 1);
  EXPECT_EQ(events().size(), 1u);
  EXPECT_GE(fired - start, std::chrono::milliseconds(1200));
}

}  // namespace
