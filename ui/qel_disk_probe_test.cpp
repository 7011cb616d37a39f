// The free space asked off the window's thread: the system's answers, and a system that keeps
// a question waiting, as a removed drive or a network share that does not answer does.
#include "ui/qel_disk_probe.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/event_loop.h"
#include "platform/win32/scoped_handle.h"

namespace {

TEST(DiskProbe, TheSystemAnswersForAFolderNotMadeYetButNotForAMissingDrive) {
  uint64_t free = 0;
  EXPECT_TRUE(qel_disk_probe::query_system(u"C:\\windows\\not made\\yet", &free));
  EXPECT_GT(free, 0u);
  char16_t letter = u'Y';
  while (GetLogicalDrives() & (1u << (letter - u'A')))
    --letter;
  EXPECT_FALSE(qel_disk_probe::query_system(std::u16string(1, letter) + u":\\records", &free));
}

TEST(DiskProbe, AQuestionTheSystemKeepsIsUnknownMeanwhileAndKeepsNoOtherBehindIt) {
  // Shared with the probe's threads, which may outlive the test.
  auto gate = std::make_shared<platform::ScopedKernelHandle>(CreateEventW(nullptr, TRUE, 0, 0));
  std::vector<std::pair<std::u16string, uint64_t>> heard;  // free is ~0 for unknown
  qel_disk_probe probe;
  ASSERT_TRUE(probe.create([&](const std::u16string& folder, bool known,
                               uint64_t free) { heard.emplace_back(folder, known ? free : ~0ull); },
                           [gate](const std::u16string& folder, uint64_t* free) {
                             if (folder == u"held")
                               WaitForSingleObject(gate->get(), INFINITE);
                             *free = folder.size();
                             return true;
                           }));
  auto heard_of = [&](size_t n) {
    return platform::run_loop_until([&] { return heard.size() >= n; }, 20000);
  };
  probe.ask(u"held");
  EXPECT_TRUE(heard.empty()) << "nothing waits for the system";
  ASSERT_TRUE(heard_of(1));
  SetEvent(gate->get());
  ASSERT_TRUE(heard_of(2));
  ResetEvent(gate->get());
  probe.ask(u"held");
  ASSERT_TRUE(heard_of(3));
  probe.ask(u"other");
  ASSERT_TRUE(heard_of(4));
  using H = std::pair<std::u16string, uint64_t>;
  EXPECT_EQ(heard,
            (std::vector<H>{{u"held", ~0ull}, {u"held", 4}, {u"held", ~0ull}, {u"other", 5}}));
  probe.destroy();
  SetEvent(gate->get());
}

}  // namespace
