// The free space of the recording volume: its words in the status bar, when they change, and
// when a recording may start or must stop.
#include "ui/core/qel_disk_space.h"

#include <gtest/gtest.h>

#include "ui/core/qel_l10n_string_table.h"

namespace {

constexpr uint64_t kMb = 1024 * 1024;
constexpr uint64_t kGb = 1024 * kMb;
constexpr qel_disk_thresholds kDefaults = {500 * kMb, 200 * kMb};

std::u16string size(uint64_t bytes) {
  return qel_disk_size_text(bytes, &qel_l10n_default_text);
}

std::u16string status(bool known,
                      uint64_t free,
                      uint64_t rate = 0,
                      qel_disk_thresholds limits = kDefaults) {
  return qel_disk_status_text(known, free, rate, limits, &qel_l10n_default_text);
}

TEST(DiskSpaceText, SizesNeverClaimMoreThanIsFree) {
  EXPECT_EQ(size(0), u"0 MB");
  EXPECT_EQ(size(500 * kMb - 1), u"499 MB");
  EXPECT_EQ(size(kGb - 1), u"1023 MB");
  EXPECT_EQ(size(kGb), u"1.0 GB");
  EXPECT_EQ(size(kGb / 10 * 312 + kGb / 20), u"31.2 GB") << "31.25";
  EXPECT_EQ(size(2000 * kGb), u"2000.0 GB");
  EXPECT_EQ(qel_disk_size_text(kGb, nullptr), u"") << "no table, no text";
}

TEST(DiskSpaceText, StatusCountsTheTimeLeftAboveTheStopThreshold) {
  // With an empty library 600 MB an hour stands in.
  EXPECT_EQ(status(true, kGb / 10 * 312), u"31.2 GB free, about 52 hours of calls");
  EXPECT_EQ(status(true, 3 * kGb, kMb), u"3.0 GB free, about 47 minutes of calls");
  EXPECT_EQ(status(true, 200 * kMb + 7200 * kMb, kMb), u"7.2 GB free, about 2 hours of calls");
  EXPECT_EQ(status(true, 500 * kMb, kMb), u"500 MB free, about 5 minutes of calls")
      << "at the start threshold a recording still starts";
  EXPECT_EQ(status(true, 500 * kMb - 1), u"499 MB free, too little to record");
  EXPECT_EQ(status(false, 9 * kGb), u"Free space unknown");
  EXPECT_EQ(qel_disk_refused_text(312 * kMb, &qel_l10n_default_text),
            u"Recording did not start: only 312 MB is free.");
  EXPECT_EQ(qel_disk_stopped_text(199 * kMb, &qel_l10n_default_text),
            u"Only 199 MB is free. What was recorded until then is saved in your library.");
}

TEST(DiskWatch, StatusIsRefreshedByATenthTheThresholdOrTheFolder) {
  qel_disk_watch w;
  EXPECT_TRUE(w.set_folder(u"D:\\rec"));
  EXPECT_FALSE(w.set_folder(u"D:\\rec"));
  EXPECT_EQ(w.status_text(kDefaults, &qel_l10n_default_text), u"") << "nothing measured yet";
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 10 * kGb, kDefaults));
  EXPECT_FALSE(w.on_answer(u"D:\\rec", true, 10 * kGb - kGb / 2, kDefaults));
  EXPECT_EQ(w.status_text(kDefaults, &qel_l10n_default_text),
            u"10.0 GB free, about 16 hours of calls")
      << "the text stays as it was shown";
  EXPECT_EQ(w.free_bytes(), 10 * kGb - kGb / 2) << "decisions take the latest answer";
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 9 * kGb, kDefaults));
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 10 * kGb, kDefaults)) << "up by a tenth as well";

  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 520 * kMb, kDefaults));
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 499 * kMb, kDefaults)) << "below the start";
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 499 * kMb, {400 * kMb, 200 * kMb}))
      << "a lowered threshold";
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 499 * kMb, kDefaults));
  EXPECT_TRUE(w.on_answer(u"D:\\rec", false, 0, kDefaults));
  EXPECT_FALSE(w.on_answer(u"D:\\rec", false, 0, kDefaults));
  EXPECT_TRUE(w.on_answer(u"D:\\rec", true, 499 * kMb, kDefaults));

  EXPECT_TRUE(w.set_bytes_per_second(kMb)) << "the time left changes with the rate";
  EXPECT_TRUE(w.set_folder(u"E:\\other"));
  EXPECT_FALSE(w.on_answer(u"D:\\rec", true, kGb, kDefaults)) << "asked before the change";
  EXPECT_FALSE(w.known());
  EXPECT_TRUE(w.on_answer(u"E:\\other", true, 499 * kMb, kDefaults));
}

TEST(DiskWatch, StartNeedsKnownRoomAndARecordingIsStoppedOnce) {
  qel_disk_watch w;
  w.set_folder(u"D:\\rec");
  EXPECT_TRUE(w.may_start(kDefaults)) << "unknown space never keeps a call from being recorded";
  w.on_answer(u"D:\\rec", true, 500 * kMb - 1, kDefaults);
  EXPECT_FALSE(w.may_start(kDefaults));
  w.on_answer(u"D:\\rec", true, 500 * kMb, kDefaults);
  EXPECT_TRUE(w.may_start(kDefaults));

  w.on_answer(u"D:\\rec", true, 150 * kMb, kDefaults);
  EXPECT_FALSE(w.take_stop(kDefaults)) << "nothing records";
  w.on_recording(true);
  EXPECT_TRUE(w.take_stop(kDefaults));
  EXPECT_FALSE(w.take_stop(kDefaults)) << "asked once";
  w.on_recording(false);
  w.on_recording(true);
  w.on_answer(u"D:\\rec", false, 0, kDefaults);
  EXPECT_FALSE(w.take_stop(kDefaults)) << "unknown space stops nothing";
  w.on_answer(u"D:\\rec", true, 200 * kMb, kDefaults);
  EXPECT_FALSE(w.take_stop(kDefaults));
  w.on_answer(u"D:\\rec", true, 200 * kMb - 1, kDefaults);
  EXPECT_TRUE(w.take_stop(kDefaults));
}

}  // namespace
