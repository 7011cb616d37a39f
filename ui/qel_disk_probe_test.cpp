// The free space asked off the window's thread: the system's answers, and a system that keeps
// a question waiting, as a removed drive or a network share that does not answer does.
#include "ui/qel_disk_probe.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/event_loop.h"
#include "platform/win32/scoped_handle.h"

namespace {

struct Heard {
  std::u16string folder;
  bool known;
  uint64_t free;
};

std::u16string temp_folder() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetTempPathW(MAX_PATH, path);
  if (n && path[n - 1] == L'\\')
    path[--n] = 0;
  return std::u16string(reinterpret_cast<const char16_t*>(path), n);
}

TEST(DiskProbe, TheSystemAnswersForAFolderOrTheFolderAboveItButNotForAMissingDrive) {
  uint64_t free = 0;
  ASSERT_TRUE(qel_disk_probe::query_system(temp_folder(), &free));
  EXPECT_GT(free, 0u);
  free = 0;
  EXPECT_TRUE(qel_disk_probe::query_system(temp_folder() + u"\\not made\\yet", &free));
  EXPECT_GT(free, 0u);
  DWORD drives = GetLogicalDrives();
  char16_t letter = u'Z';
  while (letter > u'D' && (drives & (1u << (letter - u'A'))))
    --letter;
  ASSERT_GT(letter, u'D') << "a drive letter nothing is mapped to";
  EXPECT_FALSE(qel_disk_probe::query_system(std::u16string(1, letter) + u":\\records", &free));
}

TEST(DiskProbe, AQuestionTheSystemKeepsIsUnknownMeanwhileAndOthersAreNotKeptBehindIt) {
  // The query holds "held" questions until the event is set; shared with threads that may
  // outlive the test's frame.
  struct Gate {
    platform::ScopedKernelHandle open{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  };
  auto gate = std::make_shared<Gate>();
  std::vector<Heard> heard;
  qel_disk_probe probe;
  ASSERT_TRUE(probe.create(
      [&](const std::u16string& folder, bool known, uint64_t free) {
        heard.push_back({folder, known, free});
      },
      [gate](const std::u16string& folder, uint64_t* free) {
        if (folder == u"held")
          WaitForSingleObject(gate->open.get(), INFINITE);
        *free = folder.size();
        return true;
      }));
  auto heard_of = [&](size_t n) {
    return platform::run_loop_until([&] { return heard.size() >= n; }, 20000);
  };

  probe.ask(u"held");
  EXPECT_TRUE(heard.empty()) << "nothing waits for the system";
  ASSERT_TRUE(heard_of(1));
  EXPECT_EQ(heard[0].folder, u"held");
  EXPECT_FALSE(heard[0].known);
  SetEvent(gate->open.get());
  ASSERT_TRUE(heard_of(2));
  EXPECT_TRUE(heard[1].known) << "the real answer follows";
  EXPECT_EQ(heard[1].free, 4u);

  ResetEvent(gate->open.get());
  probe.ask(u"held");
  probe.ask(u"held");
  ASSERT_TRUE(heard_of(3));
  EXPECT_FALSE(heard[2].known);
  probe.ask(u"other");
  ASSERT_TRUE(heard_of(4));
  EXPECT_EQ(heard[3].folder, u"other");
  EXPECT_TRUE(heard[3].known);
  EXPECT_EQ(heard[3].free, 5u);
  probe.destroy();
  SetEvent(gate->open.get());
}

}  // namespace
