#include "ui/qel_profile_store.h"

#include "library/qel_app_constants.h"
#include "library/qel_profile.h"
#include "platform/registry.h"

namespace {

constexpr uint32_t kMaxUnits = 2048;

ZulProfileValue value_of(const char* section, const std::string& key) {
  return ZulProfileKey::Root_CurrentUser()
      .GetSubKey(g_qel_settings_path)
      .GetSubKey(section)
      .GetValue(key);
}

}  // namespace

qel_history_value qel_profile_get_string(const char* section, const std::string& key) {
  qel_history_value out;
  ZulProfileValue value = value_of(section, key);
  uint32_t type = 0;
  if (!value.GetType(&type))
    return out;
  out.kind = qel_history_value::kNotText;
  if (type == platform::kRegSz && value.GetWString(&out.text, kMaxUnits))
    out.kind = qel_history_value::kText;
  return out;
}

bool qel_profile_write_string(const char* section,
                              const std::string& key,
                              const std::u16string& value) {
  return value_of(section, key).SetWString(value);
}
