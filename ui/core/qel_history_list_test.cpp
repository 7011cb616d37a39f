#include "ui/core/qel_history_list.h"

#include <gtest/gtest.h>

#include <map>

#include "ui/core/qel_folder_choice.h"

namespace {

qel_history_value text(const char16_t* t) {
  return {qel_history_value::kText, t};
}

// A store of numbered values; numbers it does not hold are missing.
qel_history_read_fn store(std::map<int, qel_history_value> values) {
  return [values](int n) {
    auto it = values.find(n);
    return it == values.end() ? qel_history_value{} : it->second;
  };
}

TEST(HistoryList, KeyNames) {
  EXPECT_EQ(qel_history_item_key("Folder", 0), "Folder0000");
  EXPECT_EQ(qel_history_item_key("Folder", 49), "Folder0049");
  EXPECT_EQ(qel_history_last_key("Sel", "Folder"), "Sel");
  EXPECT_EQ(qel_history_last_key("", "Folder"), "Folder");
  EXPECT_EQ(qel_history_last_key("", ""), "Last");
}

TEST(HistoryList, LoadStopsAtGapSkipsVanishedAndNonText) {
  auto read = store({{0, text(u"C:\\a")},
                     {1, {qel_history_value::kNotText, u""}},
                     {2, text(u"C:\\gone")},
                     {3, text(u"c:\\A")},
                     {4, text(u"C:\\b")},
                     {5, text(u"")},
                     {6, text(u"C:\\after_gap")}});
  auto exists = [](const std::u16string& p) { return p != u"C:\\gone"; };
  EXPECT_EQ(qel_history_load(read, 50, exists), (std::vector<std::u16string>{u"C:\\a", u"C:\\b"}));
  // Without the existence check the vanished folder stays.
  EXPECT_EQ(qel_history_load(read, 50, nullptr).size(), 3u);
  // A missing value stops as an empty one does; the count caps the reading.
  EXPECT_EQ(qel_history_load(store({{0, text(u"x")}, {2, text(u"y")}}), 50, nullptr).size(), 1u);
  EXPECT_EQ(qel_history_load(read, 1, nullptr).size(), 1u);
}

TEST(HistoryList, SavePutsCurrentFirstWithoutRepeatsUpToMax) {
  std::vector<std::u16string> items{u"C:\\a", u"C:\\b", u"C:\\c"};
  EXPECT_EQ(qel_history_to_save(u"c:\\B", items, 50),
            (std::vector<std::u16string>{u"c:\\B", u"C:\\a", u"C:\\c"}));
  EXPECT_EQ(qel_history_to_save(u"C:\\new", items, 2),
            (std::vector<std::u16string>{u"C:\\new", u"C:\\a"}));
  EXPECT_EQ(qel_history_to_save(u"", items, 50), items);
}

TEST(HistoryList, PathsCompareWithoutTheCaseOfAnyAsciiLetterOnly) {
  for (char16_t c = u'A'; c <= u'Z'; ++c) {
    std::u16string upper = u"C:\\" + std::u16string(1, c);
    std::u16string lower = u"c:\\" + std::u16string(1, static_cast<char16_t>(c + 32));
    EXPECT_TRUE(qel_history_same_path(upper, lower)) << static_cast<char>(c);
  }
  // The neighbours of the letter range are not letters: "@" is not "`", "[" not "{".
  EXPECT_FALSE(qel_history_same_path(u"C:\\@", u"C:\\`"));
  EXPECT_FALSE(qel_history_same_path(u"C:\\[", u"C:\\{"));
  EXPECT_FALSE(qel_history_same_path(u"C:\\\u00C4", u"C:\\\u00E4")) << "only ASCII folds";
}

TEST(HistoryList, SaveNeverKeepsMoreThanTheMaximumEvenNone) {
  std::vector<std::u16string> items{u"C:\\a", u"C:\\b"};
  EXPECT_TRUE(qel_history_to_save(u"C:\\new", items, 0).empty());
  EXPECT_TRUE(qel_history_to_save(u"", items, 0).empty());
  EXPECT_EQ(qel_history_to_save(u"C:\\new", items, 1), (std::vector<std::u16string>{u"C:\\new"}));
}

TEST(FolderChoice, ResolvesTrimsAndRefusesOverlongPaths) {
  std::u16string path = u"unchanged";
  EXPECT_EQ(qel_resolve_folder_choice(u"  \t", u"C:\\x", &path), qel_folder_choice::kEmpty);
  EXPECT_EQ(path, u"unchanged");
  EXPECT_EQ(qel_resolve_folder_choice(u" D:\\Rec\\ ", u"C:\\x", &path), qel_folder_choice::kPath);
  EXPECT_EQ(path, u"D:\\Rec");
  EXPECT_EQ(qel_resolve_folder_choice(u"C:\\", u"", &path), qel_folder_choice::kPath);
  EXPECT_EQ(path, u"C:\\");
  EXPECT_EQ(qel_resolve_folder_choice(u"sub", u"C:\\x\\", &path), qel_folder_choice::kPath);
  EXPECT_EQ(path, u"C:\\x\\sub");
  EXPECT_EQ(qel_resolve_folder_choice(u"\\\\srv\\share\\", u"C:\\x", &path),
            qel_folder_choice::kPath);
  EXPECT_EQ(path, u"\\\\srv\\share");

  std::u16string longest = u"C:\\" + std::u16string(kQelFolderPathMaxLen - 3, u'a');
  EXPECT_EQ(qel_resolve_folder_choice(longest, u"", &path), qel_folder_choice::kPath);
  EXPECT_EQ(path.size(), kQelFolderPathMaxLen);
  path = u"unchanged";
  EXPECT_EQ(qel_resolve_folder_choice(longest + u"b", u"", &path), qel_folder_choice::kTooLong);
  EXPECT_EQ(qel_resolve_folder_choice(u"C:\\" + std::u16string(3000, u'a'), u"", &path),
            qel_folder_choice::kTooLong);
  EXPECT_EQ(path, u"unchanged");
}

}  // namespace
