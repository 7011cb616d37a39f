// What a test may ask of the recycle bin after the program recycled a file: is it there, and
// could the user put it back where it was? Natively the bin is the folder a test gave to
// use_recycle_folder; under Wine it is the desktop trash of the Unix user, whose home Wine
// passes on as WINEHOMEDIR ("\??\Z:\root") rather than HOME.
#pragma once

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/testing/test_env.h"

namespace test_env {

class RecycleBin {
 public:
  // native_folder: the folder given to use_recycle_folder (unused under Wine).
  explicit RecycleBin(fs::path native_folder = {}) : native_(std::move(native_folder)) {}

  // False when this bin cannot be looked into (no home folder under Wine).
  bool known() const { return kNative ? !native_.empty() : !trash().empty(); }

  // The file recycled from `original` (the path the program gave the shell) is in the bin,
  // with what it takes to restore it: its content and, under Wine, the record of its place.
  bool holds(const fs::path& original) const { return !entry(original).empty(); }

  // Takes the file recycled from `original` out of the bin for good; tests tidy up after
  // themselves in the user's trash.
  void remove(const fs::path& original) const {
    fs::path content = entry(original);
    std::error_code ec;
    if (content.empty())
      return;
    fs::remove(content, ec);
    if (kUnderWine)
      fs::remove(trash() / "info" / (content.filename().string() + ".trashinfo"), ec);
  }

 private:
  static fs::path trash() {
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/')
      home = std::string("Z:") + h;
    else if (const char* w = std::getenv("WINEHOMEDIR");
             w && std::string(w).rfind("\\??\\", 0) == 0)
      home = w + 4;
    return home.empty() ? fs::path() : fs::path(home) / ".local" / "share" / "Trash";
  }

  // The recycled content of `original`, or empty.
  fs::path entry(const fs::path& original) const {
    if (kNative) {
      // The program names its files with backslashes on every system.
      std::string name = original.string();
      fs::path content = native_ / name.substr(name.find_last_of("/\\") + 1);
      return !native_.empty() && fs::exists(content) ? content : fs::path();
    }
    fs::path bin = trash();
    std::error_code ec;
    if (bin.empty() || !fs::is_directory(bin / "info", ec))
      return {};
    std::string wanted = unix_tail(original);
    for (const fs::directory_entry& info : fs::directory_iterator(bin / "info", ec)) {
      std::string name = info.path().filename().string();
      const std::string suffix = ".trashinfo";
      if (name.size() <= suffix.size() ||
          name.compare(name.size() - suffix.size(), suffix.size(), suffix))
        continue;
      std::string recorded = recorded_path(info.path());
      if (!matches(recorded, wanted))
        continue;
      fs::path content = bin / "files" / name.substr(0, name.size() - suffix.size());
      if (fs::exists(content, ec))
        return content;
    }
    return {};
  }

  // "C:\dir\a b.avi" as the tail of the Unix path Wine records: "/c:/dir/a b.avi".
  static std::string unix_tail(const fs::path& original) {
    std::string s = original.string();
    for (char& c : s)
      c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "/" + s;
  }

  // The Path= line of a .trashinfo file, percent-decoded and in lower case.
  static std::string recorded_path(const fs::path& info) {
    std::ifstream in(info);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("Path=", 0) != 0)
        continue;
      std::string out;
      for (size_t i = 5; i < line.size(); ++i) {
        if (line[i] == '%' && i + 2 < line.size()) {
          out += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
          i += 2;
        } else {
          out += line[i];
        }
      }
      for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return out;
    }
    return {};
  }

  // A Unix path Wine recorded for a drive path: through the prefix's drive links
  // (".../dosdevices/c:/dir/a.avi"), or the plain path for drive Z:, the root.
  static bool matches(const std::string& recorded, const std::string& tail) {
    if (recorded.size() >= tail.size() &&
        recorded.compare(recorded.size() - tail.size(), tail.size(), tail) == 0)
      return true;
    return tail.rfind("/z:/", 0) == 0 && recorded == tail.substr(3);
  }

  fs::path native_;
};

}  // namespace test_env
