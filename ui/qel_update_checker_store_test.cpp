#include "ui/qel_update_checker_store.h"

#include <gtest/gtest.h>

#include "library/qel_app_constants.h"

namespace {

TEST(UpdateCheckerStore, FirstCheckLivesUnderTheUpdateCheckerKey) {
  ZulProfileKey app =
      ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetSubKey("test_store");
  app.RemoveSubKey("update_checker");
  QelUpdateCheckerStore store(app);
  bool value = true;
  EXPECT_FALSE(store.GetBool("first_check", &value));
  EXPECT_TRUE(value);
  EXPECT_TRUE(store.SetBool("first_check", false));
  bool stored = true;
  ASSERT_TRUE(app.GetSubKey("update_checker").GetValue("first_check").GetBool(&stored));
  EXPECT_FALSE(stored);
  EXPECT_TRUE(store.GetBool("first_check", &value));
  EXPECT_FALSE(value);
  ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).RemoveSubKey("test_store");
}

}  // namespace
