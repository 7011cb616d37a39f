// Where the update checker keeps "first_check" in the program: the "update_checker" key below
// the application's key.
#pragma once

#include "library/qel_profile.h"
#include "net/qel_update_checker.h"

class QelUpdateCheckerStore : public ZulUpdateCheckerStore {
 public:
  explicit QelUpdateCheckerStore(const ZulProfileKey& app_key)
      : mKey(app_key.GetSubKey("update_checker")) {}
  bool GetBool(const char* name, bool* value) override {
    return mKey.GetValue(name).GetBool(value);
  }
  bool SetBool(const char* name, bool value) override { return mKey.GetValue(name).SetBool(value); }

 private:
  ZulProfileKey mKey;
};
