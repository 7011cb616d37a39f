// The free space of the recording volume: its words, when they change, and when a recording
// may start or must stop.
#include "ui/core/qel_disk_space.h"

#include <gtest/gtest.h>

#include "ui/core/qel_l10n_string_table.h"

namespace {

constexpr uint64_t kMb = 1024 * 1024;
constexpr uint64_t kGb = 1024 * kMb;
constexpr qel_disk_thresholds kDefaults = {500 * kMb, 200 * kMb};

std::u16string status(bool known, uint64_t free, uint64_t rate = 0) {
  return qel_disk_status_text(known, free, rate, kDefaults, &qel_l10n_default_text);
}

TEST(DiskSpaceText, SizesNeverClaimMoreAndTimeCountsWhatIsLeftAboveTheStop) {
  EXPECT_EQ(qel_disk_size_text(kGb - 1, &qel_l10n_default_text), u"1023 MB");
  EXPECT_EQ(qel_disk_size_text(kGb / 10 * 312 + kGb / 20, &qel_l10n_default_text), u"31.2 GB");
  // An empty library: 600 MB an hour stands in.
  EXPECT_EQ(status(true, kGb / 10 * 312), u"31.2 GB free, about 52 hours of calls");
  EXPECT_EQ(status(true, 3 * kGb, kMb), u"3.0 GB free, about 47 minutes of calls");
  EXPECT_EQ(status(true, 500 * kMb, kMb), u"500 MB free, about 5 minutes of calls");
  EXPECT_EQ(status(true, 500 * kMb - 1), u"499 MB free, too little to record");
  EXPECT_EQ(status(false, 9 * kGb), u"Free space unknown");
  EXPECT_EQ(qel_disk_refused_text(312 * kMb, &qel_l10n_default_text),
            u"Recording did not start: only 312 MB is free.");
}

TEST(DiskWatch, StatusIsRefreshedByATenthTheStartThresholdOrTheFolder) {
  qel_disk_watch w;
  EXPECT_TRUE(w.set_folder(u"D:\\rec"));
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 10 * kGb, kDefaults));
  EXPECT_FALSE(w.on_answer(u"D:\\rec", true, 10 * kGb - kGb / 2, kDefaults));
  EXPECT_EQ(w.status_text(kDefaults, &qel_l10n_default_text),
            u"10.0 GB free, about 16 hours of calls");
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 9 * kGb, kDefaults));
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 520 * kMb, kDefaults));
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 499 * kMb, kDefaults)) << "below the start";
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 499 * kMb, {400 * kMb, 200 * kMb})) << "lowered";
  EXPECT_TRUE(w.on_answer(u"D:\\rec", false, 0, kDefaults));
  EXPECT_FALSE(w.on_answer(u"D:\\rec", false, 0, kDefaults));
  EXPECT_TRUE(w.set_folder(u"E:\\other"));
  EXPECT_FALSE(w.on_answer(u"D:\\rec", true, kGb, kDefaults)) << "asked before the change";
  EXPECT_EQ(w.status_text(kDefaults, &qel_l10n_default_text), u"");
}

TEST(DiskWatch, StartNeedsNoKnownShortageAndARecordingIsStoppedOnce) {
  qel_disk_watch w;
  w.set_folder(u"D:\\rec");
  EXPECT_TRUE(w.may_start(kDefaults)) << "unknown space keeps no call from being recorded";
  w.on_answer(u"D:\\rec", true, 500 * kMb - 1, kDefaults);
  EXPECT_FALSE(w.may_start(kDefaults));
  w.on_answer(u"D:\\rec", true, 150 * kMb, kDefaults);
  EXPECT_FALSE(w.take_stop(kDefaults)) << "nothing records";
  w.on_recording(true);
  EXPECT_TRUE(w.take_stop(kDefaults));
  EXPECT_FALSE(w.take_stop(kDefaults)) << "asked once";
  w.on_recording(false);
  w.on_recording(true);
  w.on_answer(u"D:\\rec", false, 0, kDefaults);
  EXPECT_FALSE(w.take_stop(kDefaults)) << "unknown space stops nothing";
  w.on_answer(u"D:\\rec", true, 200 * kMb - 1, kDefaults);
  EXPECT_TRUE(w.take_stop(kDefaults));
}

}  // namespace
