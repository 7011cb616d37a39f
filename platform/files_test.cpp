// The file calls behave alike natively (the posix emulation) and under Wine (the real calls):
// the same cases run against both, and where they differed the emulation was made to do what
// Windows does.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/testing/test_env.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("qel_files_" + std::to_string(test_env::process_id()) + "_" + info->name());
    std::error_code ec;
    fs::remove_all(dir_, ec);
    ASSERT_TRUE(fs::create_directories(dir_));
  }
  void TearDown() override {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec))
      fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
    EXPECT_FALSE(fs::exists(dir_));
  }

  // The core's spelling of a path in the folder: UTF-16, joined with a backslash.
  std::u16string At(const std::u16string& name) const { return dir_.u16string() + u"\\" + name; }
  fs::path Native(const std::u16string& name) const { return dir_ / fs::path(name); }

  // Whether the file opens in that mode (closed again at once).
  bool Opens(const std::u16string& name, FileMode mode) {
    File f = file_open(At(name), mode);
    file_close(f);
    return f != nullptr;
  }
  bool Write(const std::u16string& name, const std::string& content) {
    File f = file_open(At(name), FileMode::kCreate);
    bool ok = f && file_write_at(f, 0, content.data(), static_cast<uint32_t>(content.size()));
    file_close(f);
    return ok;
  }
  std::string Read(const std::u16string& name) {
    File f = file_open(At(name), FileMode::kRead);
    if (!f)
      return "<none>";
    uint64_t size = 0;
    std::string out;
    if (file_size(f, &size)) {
      out.resize(size);
      uint32_t got = 0;
      if (!file_read_at(f, 0, out.data(), static_cast<uint32_t>(size), &got))
        out = "<unreadable>";
      out.resize(got);
    }
    file_close(f);
    return out;
  }
  void MakeReadOnly(const std::u16string& name) {
    fs::permissions(Native(name),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  // Every name the pattern lists, sorted; "." and ".." are left out.
  std::vector<std::u16string> List(const std::u16string& pattern) {
    std::vector<std::u16string> names;
    std::u16string name;
    Find find = find_first(pattern, &name);
    if (!find)
      return names;
    do {
      if (name != u"." && name != u"..")
        names.push_back(name);
    } while (find_next(find, &name));
    find_close(find);
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(FilesTest, OpenReadWriteSizeAndTruncate) {
  File f = file_open(At(u"a.bin"), FileMode::kCreate);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(file_write_at(f, 4, "data", 4));
  uint64_t size = 0;
  EXPECT_TRUE(file_size(f, &size));
  EXPECT_EQ(size, 8u);  // the gap reads as zeros
  char buf[16] = {1};
  uint32_t got = 99;
  EXPECT_TRUE(file_read_at(f, 0, buf, sizeof buf, &got));
  EXPECT_EQ(std::string(buf, got), std::string("\0\0\0\0data", 8));
  EXPECT_TRUE(file_read_at(f, 100, buf, sizeof buf, &got));  // past the end: nothing, no error
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(file_truncate(f, 2));
  EXPECT_TRUE(file_size(f, &size));
  EXPECT_EQ(size, 2u);
  EXPECT_TRUE(file_truncate(f, 1 << 20));
  EXPECT_TRUE(file_size(f, &size));
  EXPECT_EQ(size, 1u << 20);
  EXPECT_TRUE(file_flush(f));
  file_close(f);

  // Opening for reading does not allow writing; creating over a file empties it.
  f = file_open(At(u"a.bin"), FileMode::kRead);
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(file_write_at(f, 0, "x", 1));
  file_close(f);
  f = file_open(At(u"a.bin"), FileMode::kCreate);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(file_size(f, &size));
  EXPECT_EQ(size, 0u);
  file_close(f);
}

TEST_F(FilesTest, WhatCannotBeOpened) {
  EXPECT_EQ(file_open(At(u"missing"), FileMode::kRead), nullptr);
  EXPECT_EQ(file_open(At(u"missing"), FileMode::kReadWrite), nullptr);
  EXPECT_FALSE(fs::exists(Native(u"missing")));
  EXPECT_EQ(file_open(At(u"no\\such\\file"), FileMode::kCreate), nullptr);
  ASSERT_TRUE(create_directory(At(u"sub")));
  for (FileMode mode : {FileMode::kRead, FileMode::kReadWrite, FileMode::kCreate})
    EXPECT_EQ(file_open(At(u"sub"), mode), nullptr);
  EXPECT_TRUE(fs::is_directory(Native(u"sub")));
}

TEST_F(FilesTest, NamesIgnoreCaseButKeepTheirSpelling) {
  ASSERT_TRUE(Write(u"Mixed.Bin", "one"));
  EXPECT_EQ(Read(u"mixed.bin"), "one");
  EXPECT_EQ(Read(u"MIXED.BIN"), "one");
  // Creating under another spelling writes the same file, which keeps its first spelling.
  ASSERT_TRUE(Write(u"MIXED.bin", "two"));
  EXPECT_EQ(List(At(u"*")), std::vector<std::u16string>{u"Mixed.Bin"});
  EXPECT_EQ(Read(u"Mixed.Bin"), "two");
  EXPECT_FALSE(create_directory(At(u"mixed.BIN")));
  EXPECT_TRUE(file_delete(At(u"mixed.bin")));
  EXPECT_TRUE(List(At(u"*")).empty());
}

TEST_F(FilesTest, ReplaceMovesOverAnExistingFile) {
  ASSERT_TRUE(Write(u"new", "new"));
  ASSERT_TRUE(Write(u"old", "old"));
  EXPECT_TRUE(file_replace(At(u"new"), At(u"old")));
  EXPECT_EQ(Read(u"old"), "new");
  EXPECT_FALSE(fs::exists(Native(u"new")));
  // Onto a name that does not exist yet: a plain rename.
  EXPECT_TRUE(file_replace(At(u"old"), At(u"renamed")));
  EXPECT_EQ(Read(u"renamed"), "new");

  EXPECT_FALSE(file_replace(At(u"missing"), At(u"renamed")));
  EXPECT_FALSE(file_replace(At(u"renamed"), At(u"no\\such\\file")));
  ASSERT_TRUE(create_directory(At(u"sub")));
  EXPECT_FALSE(file_replace(At(u"renamed"), At(u"sub")));
  EXPECT_EQ(Read(u"renamed"), "new");
  EXPECT_TRUE(fs::is_directory(Native(u"sub")));
}

TEST_F(FilesTest, DeleteAndCreateDirectory) {
  ASSERT_TRUE(Write(u"f", "x"));
  EXPECT_TRUE(file_delete(At(u"f")));
  EXPECT_FALSE(fs::exists(Native(u"f")));
  EXPECT_FALSE(file_delete(At(u"f")));
  EXPECT_FALSE(file_delete(At(u"no\\such\\file")));

  EXPECT_TRUE(create_directory(At(u"sub")));
  EXPECT_FALSE(create_directory(At(u"sub")));  // exists already
  EXPECT_FALSE(file_delete(At(u"sub")));       // not a file
  EXPECT_TRUE(fs::is_directory(Native(u"sub")));
  EXPECT_FALSE(create_directory(At(u"no\\such")));  // one level at a time
  ASSERT_TRUE(Write(u"file", "x"));
  EXPECT_FALSE(create_directory(At(u"file")));
}

TEST_F(FilesTest, ReadOnlyFilesCanBeReadAndMovedButNotChanged) {
  ASSERT_TRUE(Write(u"ro", "keep"));
  ASSERT_TRUE(Write(u"other", "other"));
  MakeReadOnly(u"ro");
  EXPECT_FALSE(file_delete(At(u"ro")));
  if (test_env::kReadOnlyFilesRefuseWriting) {
    EXPECT_FALSE(Opens(u"ro", FileMode::kReadWrite));
    EXPECT_FALSE(Opens(u"ro", FileMode::kCreate));
    EXPECT_FALSE(file_replace(At(u"other"), At(u"ro")));
  }
  EXPECT_EQ(Read(u"ro"), "keep");
  EXPECT_EQ(Read(u"other"), "other");
  // Moving the read-only file itself is allowed.
  EXPECT_TRUE(file_replace(At(u"ro"), At(u"moved")));
  EXPECT_EQ(Read(u"moved"), "keep");
}

// The calls open files shared for reading only: while a file is open, nobody else may write,
// delete or replace it, and while it is open for writing nobody else may open it at all.
TEST_F(FilesTest, OpenFilesAreSharedForReadingOnly) {
  ASSERT_TRUE(Write(u"f", "data"));
  ASSERT_TRUE(Write(u"other", "other"));
  File reader = file_open(At(u"f"), FileMode::kRead);
  ASSERT_NE(reader, nullptr);
  File second = file_open(At(u"f"), FileMode::kRead);
  EXPECT_NE(second, nullptr);
  file_close(second);
  EXPECT_EQ(file_open(At(u"f"), FileMode::kReadWrite), nullptr);
  EXPECT_EQ(file_open(At(u"f"), FileMode::kCreate), nullptr);
  EXPECT_FALSE(file_delete(At(u"f")));
  EXPECT_FALSE(file_replace(At(u"other"), At(u"f")));
  EXPECT_FALSE(file_replace(At(u"f"), At(u"moved")));
  file_close(reader);

  File writer = file_open(At(u"f"), FileMode::kReadWrite);
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(file_open(At(u"f"), FileMode::kRead), nullptr);
  EXPECT_EQ(file_open(At(u"F"), FileMode::kReadWrite), nullptr);
  EXPECT_FALSE(file_delete(At(u"f")));
  file_close(writer);

  // Closed again, everything is allowed.
  EXPECT_TRUE(file_replace(At(u"other"), At(u"f")));
  EXPECT_EQ(Read(u"f"), "other");
  EXPECT_TRUE(file_delete(At(u"f")));
}

TEST_F(FilesTest, ListingMatchesPatternsWithoutRegardToCase) {
  for (const char16_t* name : {u"a.avi", u"B.AVI", u"c.txt", u"d.avi.txt"})
    ASSERT_TRUE(Write(name, "x"));
  ASSERT_TRUE(create_directory(At(u"sub.avi")));
  EXPECT_EQ(List(At(u"*.avi")), (std::vector<std::u16string>{u"B.AVI", u"a.avi", u"sub.avi"}));
  EXPECT_EQ(List(At(u"*")).size(), 5u);
  EXPECT_EQ(List(At(u"b*")), std::vector<std::u16string>{u"B.AVI"});
  EXPECT_EQ(List(At(u"?.txt")), std::vector<std::u16string>{u"c.txt"});

  std::u16string name;
  EXPECT_EQ(find_first(At(u"*.wav"), &name), nullptr);
  EXPECT_EQ(find_first(At(u"no\\such\\*"), &name), nullptr);
  EXPECT_EQ(find_first(At(u"c.txt\\*"), &name), nullptr);  // a file is no folder
  EXPECT_TRUE(List(At(u"sub.avi\\*")).empty());
}

// A folder listed at once gives each name and stamp the search gives, also when the names
// are long enough to need several batches.
TEST_F(FilesTest, ListingAFolderAtOnceGivesWhatTheSearchGives) {
  using Found = std::vector<std::pair<std::u16string, std::vector<uint64_t>>>;
  auto at_once = [&](const std::u16string& mask, bool* listed) {
    Found found;
    *listed =
        list_folder(dir_.u16string(), mask, [&](std::u16string_view name, const FileStamp& stamp) {
          found.push_back({std::u16string(name), {stamp.size, stamp.write_time, stamp.directory}});
        });
    std::sort(found.begin(), found.end());
    return found;
  };
  auto searched = [&](const std::u16string& mask) {
    Found found;
    std::u16string name;
    FileStamp stamp;
    Find find = find_first(At(mask), &name, &stamp);
    for (bool more = find != nullptr; more; more = find_next(find, &name, &stamp))
      found.push_back({name, {stamp.size, stamp.write_time, stamp.directory}});
    find_close(find);
    std::sort(found.begin(), found.end());
    return found;
  };
  // Names of 200 characters, so that the folder is read in several batches.
  for (int i = 0; i < 400; ++i) {
    std::u16string name = std::u16string(200, u'a' + i % 26) + static_cast<char16_t>(u'a' + i / 26);
    ASSERT_TRUE(Write(name + (i >= 300 ? u".wav"
                              : i % 3  ? u".avi"
                                       : u".AVI"),
                      std::string(i, 'x')));
  }
  ASSERT_TRUE(create_directory(At(u"sub.avi")));
  bool listed = false;
  Found avi = at_once(u"*.avi", &listed);
  EXPECT_TRUE(listed);
  EXPECT_EQ(avi.size(), 301u);
  EXPECT_EQ(avi, searched(u"*.avi"));
  EXPECT_TRUE(at_once(u"*.mp3", &listed).empty());
  EXPECT_FALSE(listed);
  EXPECT_TRUE(list_folder(At(u"no"), u"*", [](std::u16string_view, const FileStamp&) {}) == false);
}

TEST_F(FilesTest, UnicodeNamesComeBackAsTheyWereWritten) {
  const std::u16string names[] = {u"r\u00e9sum\u00e9 \u2713.avi", u"\u65e5\u672c\u8a9e.avi",
                                  u"\U0001F3A5 film.avi"};
  for (const std::u16string& name : names) {
    ASSERT_TRUE(Write(name, "x"));
    EXPECT_EQ(Read(name), "x");
  }
  std::vector<std::u16string> sorted(std::begin(names), std::end(names));
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(List(At(u"*.avi")), sorted);
  EXPECT_TRUE(create_directory(At(u"\u00fcber")));
  EXPECT_TRUE(file_replace(At(names[0]), At(u"\u00fcber\\\u00e9t\u00e9.avi")));
  EXPECT_EQ(List(At(u"\u00fcber\\*")), std::vector<std::u16string>{u"\u00e9t\u00e9.avi"});
}

TEST_F(FilesTest, NamesWindowsReservesAreRefused) {
  for (const char16_t* name : {u"a?b", u"a*b", u"a<b", u"a>b", u"a|b", u"a\"b"}) {
    SCOPED_TRACE(std::string(name, name + 3));
    EXPECT_FALSE(Opens(name, FileMode::kCreate));
    EXPECT_FALSE(create_directory(At(name)));
  }
  ASSERT_TRUE(Write(u"plain", "x"));
  EXPECT_FALSE(file_replace(At(u"plain"), At(u"a?b")));
  EXPECT_EQ(List(At(u"*")), std::vector<std::u16string>{u"plain"});
}

TEST_F(FilesTest, LongNamesAndLongPaths) {
  std::u16string longest(255, u'n');
  EXPECT_TRUE(Write(longest, "x"));
  EXPECT_EQ(Read(longest), "x");
  EXPECT_EQ(file_open(At(longest + u"n"), FileMode::kCreate), nullptr);

  // Nested folders past 260 characters in all: Wine, like Windows with long paths enabled,
  // goes by the full length.
  std::u16string path;
  std::u16string level(60, u'd');
  for (int i = 0; i < 6; ++i) {
    path += (path.empty() ? u"" : u"\\") + level;
    ASSERT_TRUE(create_directory(At(path))) << i;
  }
  ASSERT_GT(At(path).size(), 360u);
  EXPECT_TRUE(Write(path + u"\\deep.bin", "deep"));
  EXPECT_EQ(Read(path + u"\\deep.bin"), "deep");
  EXPECT_EQ(List(At(path + u"\\*.bin")), std::vector<std::u16string>{u"deep.bin"});
  EXPECT_TRUE(file_replace(At(path + u"\\deep.bin"), At(u"shallow.bin")));
  EXPECT_EQ(Read(u"shallow.bin"), "deep");
  // Short names again from the top, so that the folder can be removed by any means.
  std::u16string shorter;
  for (int i = 0; i < 6; ++i) {
    std::u16string parent = shorter.empty() ? shorter : shorter + u"\\";
    ASSERT_TRUE(file_replace(At(parent + level), At(parent + u"s")));
    shorter = parent + u"s";
  }
}

TEST_F(FilesTest, TempFileNamesAreNewEmptyFiles) {
  std::u16string first, second;
  ASSERT_TRUE(temp_file_name(dir_.u16string(), u"quorvantine_", &first));
  ASSERT_TRUE(temp_file_name(dir_.u16string(), u"quorvantine_", &second));
  EXPECT_NE(first, second);
  std::vector<std::u16string> listed = List(At(u"*"));
  ASSERT_EQ(listed.size(), 2u);
  for (const std::u16string& name : listed) {
    EXPECT_EQ(name.substr(0, 3), u"quo");
    EXPECT_EQ(name.substr(name.size() - 4), u".tmp");
    EXPECT_EQ(Read(name), "");
    EXPECT_TRUE(first == At(name) || second == At(name));
  }
  std::u16string name;
  EXPECT_FALSE(temp_file_name(At(u"no_such"), u"quorvantine_", &name));

  test_env::ReadOnlyFolder read_only;
  if (read_only.ok()) {
    EXPECT_FALSE(temp_file_name(read_only.path(), u"quorvantine_", &name));
  }
}

}  // namespace
}  // namespace platform
