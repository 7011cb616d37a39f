// What the library benchmarks share: a folder of recordings and a product key of their own,
// with the user's recording folder setting kept and put back.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "library/qel_app_setting.h"
#include "library/qel_profile.h"

namespace bench {

// The recording folder setting is the user's: keep it and put it back afterwards.
class DestDirKeeper {
 public:
  DestDirKeeper() { had_ = value().GetBinary(buf_, sizeof buf_, &len_); }
  ~DestDirKeeper() {
    if (had_)
      value().SetBinary(buf_, len_);
  }

 private:
  static ZulProfileValue value() {
    return ZulProfileKey::Root_CurrentUser()
        .GetSubKey("Software\\Corvelle Software\\Quorvantine for Msn\\avi_file_info_cache")
        .GetValue("dest_dir");
  }
  uint8_t buf_[4096];
  uint32_t len_ = 0;
  bool had_ = false;
};

// A fresh recording folder (made the recording folder setting) and product key, both
// removed at the end.
class ScratchLibrary {
 public:
  explicit ScratchLibrary(const std::string& name)
      : stamp_(std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())),
        dir_(std::filesystem::temp_directory_path() / ("qel_" + name + "_bench_" + stamp_)),
        leaf_(name + "_" + stamp_),
        product_path_("Software\\QelBench\\" + leaf_),
        product_(ZulProfileKey::Root_CurrentUser().GetSubKey(product_path_)) {
    std::filesystem::create_directories(dir_);
    qel_app_setting::set_dest_dir(dir_.u16string().c_str());
  }
  ~ScratchLibrary() {
    product_.Remove();
    ZulProfileKey::Root_CurrentUser().GetSubKey("Software\\QelBench").RemoveSubKey(leaf_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::filesystem::path& dir() const { return dir_; }
  const ZulProfileKey& product() const { return product_; }
  std::string cache_path() const { return product_path_ + "\\avi_file_info_cache"; }

 private:
  DestDirKeeper keep_setting_;
  std::string stamp_;
  std::filesystem::path dir_;
  std::string leaf_;
  std::string product_path_;
  ZulProfileKey product_;
};

}  // namespace bench
