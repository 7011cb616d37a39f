// Shared by the recording tests: scratch folders, registry keys of their own, and (natively)
// AVI files made by ffmpeg and checked by ffprobe.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "library/avi_file_target.h"
#include "library/qel_profile.h"
#include "library/riff_reader.h"
#include "platform/paths.h"
#include "platform/testing/test_env.h"

namespace rec_test {

namespace fs = std::filesystem;

using test_env::process_id;
using test_env::ReadOnlyFolder;
using test_env::RegistryLock;

// A fresh folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
    path_ = fs::temp_directory_path() / ("qel_" + name + "_" + std::to_string(process_id()));
    std::error_code ec;
    fs::remove_all(path_, ec);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  // The folder as the core writes paths: UTF-16, files joined with a backslash.
  std::u16string u16() const { return path_.u16string(); }
  std::u16string file(const std::u16string& name) const { return u16() + u"\\" + name; }
  fs::path native(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// A cache key of this test process's own, removed at the end.
class TestCacheKey {
 public:
  TestCacheKey()
      : parent_(ZulProfileKey::Root_CurrentUser().GetSubKey("Software\\QelTests\\rec" +
                                                            std::to_string(process_id()))),
        key_(parent_.GetSubKey("avi_file_info_cache")) {
    parent_.Remove();
  }
  ~TestCacheKey() { parent_.Remove(); }
  const ZulProfileKey& key() const { return key_; }

 private:
  ZulProfileKey parent_;
  ZulProfileKey key_;
};

inline void write_bytes(const fs::path& p, const std::vector<uint8_t>& b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

inline std::vector<uint8_t> read_bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// FNV-1a style over the data of every movi list, a word at a time: the OpenDML file is big.
inline uint64_t movi_hash(const fs::path& p) {
  PlatformByteFile f(p.u16string(), platform::FileMode::kRead);
  AviLayout l;
  if (!read_avi_layout(f, &l))
    return 0;
  uint64_t h = 1469598103934665603ull;
  std::vector<uint8_t> buf(1 << 20);
  for (const RiffChunk& c : l.movi) {
    for (uint64_t done = 0; done < c.size;) {
      uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(buf.size(), c.size - done));
      if (!f.read_at(c.data() + done, buf.data(), n))
        return 0;
      uint32_t i = 0;
      for (uint64_t w; i + 8 <= n; i += 8) {
        memcpy(&w, buf.data() + i, 8);
        h = (h ^ w) * 1099511628211ull;
      }
      for (; i < n; ++i)
        h = (h ^ buf[i]) * 1099511628211ull;
      done += n;
    }
  }
  return h;
}

#if !defined(_WIN32)
inline std::string run(const std::string& cmd, int* status) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  while (size_t n = fread(buf, 1, sizeof buf, p))
    out.append(buf, n);
  *status = pclose(p);
  return out;
}

// The ffmpeg-made recordings, made once per build tree (beside the test program's folder).
inline fs::path media_folder(bool with_odml) {
  const char* src = std::getenv("QEL_SOURCE_DIR");
  fs::path dir = fs::path(platform::program_path_ansi()).parent_path().parent_path() / "testmedia";
  std::string script = std::string(src ? src : ".") + "/library/testdata/make_test_avis.sh";
  int status = 0;
  run(script + " '" + dir.string() + "'" + (with_odml ? " odml" : "") + " 2>&1", &status);
  return status == 0 ? dir : fs::path();
}

// What ffprobe makes of the streams; empty when it cannot read the file.
inline std::string probe(const fs::path& p) {
  int status = 0;
  std::string out =
      run("ffprobe -v error -show_entries stream=codec_type,nb_frames,duration "
          "-of csv=p=0 '" +
              p.string() + "' 2>&1",
          &status);
  return status == 0 ? out : std::string();
}
#endif

}  // namespace rec_test
