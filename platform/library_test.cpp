// Libraries load from the program's folder, the system's, or one full path, and never from
// the current directory.
#include "platform/library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/testing/test_env.h"
#include "platform/text.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A copy of a system library under a name of its own, in a folder, removed at the end.
struct PlantedCopy {
  explicit PlantedCopy(const fs::path& folder) : path(folder / test_env::kPlantedLibrary) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    copied = fs::copy_file(test_env::kOtherSystemLibraryPath, path,
                           fs::copy_options::overwrite_existing, ec);
  }
  ~PlantedCopy() {
    std::error_code ec;
    fs::remove(path, ec);
  }
  fs::path path;
  bool copied = false;
};

// A planted copy in a folder of its own, made the current directory until Leave; the folder
// goes at the end.
struct PlantedInCurrentDir {
  explicit PlantedInCurrentDir(const char* name)
      : folder(fs::temp_directory_path() / name), copy(folder), before(fs::current_path()) {
    if (copy.copied)
      fs::current_path(folder);
  }
  ~PlantedInCurrentDir() {
    Leave();
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
  void Leave() { fs::current_path(before); }

  fs::path folder;
  PlantedCopy copy;
  fs::path before;
};

TEST(Library, ProgramPathNamesTheRunningProgramAndItsFolder) {
  std::u16string path = program_path();
  std::u16string folder = program_folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::exists(fs::path(path)));
  EXPECT_EQ(path.substr(0, folder.size()), folder);
  EXPECT_EQ(fs::path(path).parent_path(), fs::path(folder).parent_path());
  EXPECT_EQ(from_ansi(program_path_ansi()), path);
}

TEST(Library, LoadsFromTheProgramsFolderButNotTheCurrentOne) {
  PlantedInCurrentDir in_cwd("qel_planted_cwd");
  ASSERT_TRUE(in_cwd.copy.copied);
  EXPECT_EQ(library_load(test_env::kPlantedLibrary), nullptr);
  in_cwd.Leave();

  PlantedCopy beside{fs::path(program_folder())};
  ASSERT_TRUE(beside.copied);
  LibraryHandle lib = library_load(test_env::kPlantedLibrary);
  if (test_env::kRenamedSystemLibraryLoads) {
    EXPECT_NE(lib, nullptr);
  }
  library_free(lib);
}

TEST(Library, FullPathLoadsOnlyThatFile) {
  PlantedInCurrentDir in_cwd("qel_planted_cwd2");
  ASSERT_TRUE(in_cwd.copy.copied);
  // A bare or relative name is refused, though the file is right there.
  EXPECT_EQ(library_load_full_path(from_ansi(test_env::kPlantedLibrary)), nullptr);
  EXPECT_EQ(library_load_full_path(u"." + std::u16string(1, fs::path::preferred_separator) +
                                   from_ansi(test_env::kPlantedLibrary)),
            nullptr);
  in_cwd.Leave();
  EXPECT_EQ(library_load_full_path(u""), nullptr);

  LibraryHandle lib = library_load_full_path(from_ansi(test_env::kOtherSystemLibraryPath));
  ASSERT_NE(lib, nullptr);
  EXPECT_TRUE(library_is_loaded(test_env::kOtherSystemLibrary));
  library_free(lib);
}

}  // namespace
}  // namespace platform
