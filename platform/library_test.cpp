// Libraries load from the program's folder, the system's, or one full path, and never from
// the current directory.
#include "platform/library.h"

#include <gtest/gtest.h>

#include <filesystem>

#if defined(_WIN32)
#include "platform/win32/win.h"
#else
#include <dlfcn.h>
#include <link.h>
#endif

#include "platform/paths.h"
#include "platform/testing/test_env.h"
#include "platform/text.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A copy of a library (a system library under a name of its own unless told), in a folder,
// removed at the end.
struct PlantedCopy {
  explicit PlantedCopy(const fs::path& folder,
                       const fs::path& source = test_env::kOtherSystemLibraryPath,
                       const char* name = test_env::kPlantedLibrary)
      : path(folder / name) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    copied = fs::copy_file(source, path, fs::copy_options::overwrite_existing, ec);
    error = ec.message();
  }
  ~PlantedCopy() {
    std::error_code ec;
    fs::remove(path, ec);
  }
  fs::path path;
  bool copied = false;
  std::string error;
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

// The file a loaded library was read from.
fs::path loaded_from(LibraryHandle lib) {
#if defined(_WIN32)
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(static_cast<HMODULE>(lib), path, MAX_PATH);
  return fs::path(path);
#else
  link_map* map = nullptr;
  return dlinfo(lib, RTLD_DI_LINKMAP, &map) == 0 ? fs::path(map->l_name) : fs::path();
#endif
}

bool same_folder(const fs::path& file, const std::u16string& folder) {
  return (fs::path(folder) / file.filename()).lexically_normal() == file.lexically_normal();
}

TEST(Library, ALibraryInBothFoldersIsTakenFromTheProgramsFolder) {
#if defined(_WIN32)
  // Wine always takes its own system libraries from its system folder: ours goes there too.
  const char* name = "qel_both_places.dll";
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  PlantedCopy in_system(fs::path(system), fs::path(QEL_BOTH_PLACES_LIB), name);
  ASSERT_TRUE(in_system.copied) << in_system.path << ": " << in_system.error;
  fs::path source = in_system.path;
#else
  const char* name = test_env::kOtherSystemLibrary;
  fs::path source = test_env::kOtherSystemLibraryPath;
#endif
  LibraryHandle lib = library_load(name);
  ASSERT_NE(lib, nullptr);
  EXPECT_FALSE(same_folder(loaded_from(lib), program_folder())) << loaded_from(lib);
  library_free(lib);

  PlantedCopy beside(fs::path(program_folder()), source, name);
  ASSERT_TRUE(beside.copied) << beside.path << ": " << beside.error;
  lib = library_load(name);
  ASSERT_NE(lib, nullptr);
  EXPECT_TRUE(same_folder(loaded_from(lib), program_folder())) << loaded_from(lib);
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
