// The free-space thresholds of the recording folder's volume.
#include "library/qel_app_constants.h"
#include "library/qel_app_setting.h"

namespace qel_app_setting {
namespace {

constexpr uint64_t kMb = 1024 * 1024;

// In MB; the fallback when missing or outside [min, max].
uint32_t threshold_mb(const char* name, uint32_t min, uint32_t max, uint32_t fallback) {
  int32_t value = 0;
  ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetValue(name).GetDWORD(&value);
  return value < static_cast<int32_t>(min) || value > static_cast<int32_t>(max)
             ? fallback
             : static_cast<uint32_t>(value);
}

}  // namespace

qel_disk_thresholds get_disk_thresholds() {
  // The engine needs room to close and index its file after the stop: never less than 10 MB.
  uint32_t stop = threshold_mb("record_stop_min_free_mb", 10, 10 * 1024, kQelRecordStopMinFreeMb);
  uint32_t start =
      threshold_mb("record_start_min_free_mb", 10, 100 * 1024, kQelRecordStartMinFreeMb);
  if (start < stop)
    start = stop;
  return {start * kMb, stop * kMb};
}

}  // namespace qel_app_setting
