#include "library/qel_avi_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

#include "library/avi_test_builder.h"
#include "library/recording_file_test.h"
#include "library/recording_test_util.h"
#include "qel_lib/qel_assert_capture.h"
#include "qel_lib/qel_ptr.h"

namespace {

using namespace avi_test;

class QelAviFileTest : public rec_test::RecordFileTest {
 protected:
  QelAviFileTest() : RecordFileTest("avi_file") {}
  std::u16string put(const std::string& name, const Bytes& bytes) {
    rec_test::write_bytes(folder_.native(name), bytes);
    return folder_.file(std::u16string(name.begin(), name.end()));
  }
};

TEST_F(QelAviFileTest, CacheEntryIsNamedAfterTheFileAndRoundTrips) {
  auto a = record(folder_.file(u"a.avi"));
  a->set_src_app_type(5, false);
  a->set_start_time(int64_t{1} << 40, false);
  ASSERT_TRUE(a->write_to_registry());
  ZulProfileKey entry = cache_.key().GetSubKey("YQAuAGEAdgBpAA==");
  uint32_t type = 0;
  ASSERT_TRUE(entry.GetValue("src_app_type").GetDWORD(&type));
  EXPECT_EQ(5u, type);
  uint8_t time[16];
  uint32_t n = 0;
  ASSERT_TRUE(entry.GetValue("start_time").GetBinary(time, sizeof time, &n));
  EXPECT_EQ(8u, n);

  // Another folder's a.avi shares the entry.
  auto b = record(u"D:\\elsewhere\\a.avi");
  ASSERT_TRUE(b->load_from_registry());
  EXPECT_EQ(5, b->get_src_app_type());
  EXPECT_EQ(int64_t{1} << 40, b->get_start_time());
  EXPECT_EQ(0u, asserts_.count());
}

// The cache entry is what the next start shows: a recording with only one of the two marks
// must come back with exactly that one.
TEST_F(QelAviFileTest, CacheEntryKeepsEachFlagApart) {
  for (bool video : {true, false}) {
    SCOPED_TRACE(video ? "video only" : "audio only");
    std::string name = video ? "video_only.avi" : "audio_only.avi";
    AviShape s;
    s.streams = {{video ? "vids" : "auds", 1, video ? 25u : 8000u, 0, video ? 250u : 80000u}};
    auto a = record(put(name, build(s)));
    ASSERT_TRUE(a->dojob_load_file_info());
    ASSERT_EQ(video, a->get_has_video());
    ASSERT_EQ(!video, a->get_has_audio());
    ASSERT_TRUE(a->write_to_registry());

    auto b = record(folder_.file(std::u16string(name.begin(), name.end())));
    ASSERT_TRUE(b->load_from_registry());
    EXPECT_EQ(video, b->get_has_video());
    EXPECT_EQ(!video, b->get_has_audio());
    EXPECT_EQ(11, b->get_time_len());
  }
}

TEST_F(QelAviFileTest, LoadStopsAtTheFirstMissingValue) {
  ZulProfileKey entry = cache_.key().GetSubKey("YQAuAGEAdgBpAA==");
  entry.GetValue("src_app_type").SetDWORD(3);
  int64_t t = 99;
  entry.GetValue("start_time").SetBinary(&t, 8);
  auto a = record(folder_.file(u"a.avi"));
  EXPECT_FALSE(a->load_from_registry());
  EXPECT_EQ(3, a->get_src_app_type());
  EXPECT_EQ(99, a->get_start_time());
  // A short start_time is reported and the load carries on.
  entry.GetValue("start_time").SetBinary(&t, 4);
  for (const char* v : {"time_len", "has_video", "has_audio"})
    entry.GetValue(v).SetDWORD(1);
  EXPECT_TRUE(a->load_from_registry());
  EXPECT_TRUE(asserts_.Has("qel_avi_file::load_from_registry", "readed == sizeof(int64_t)"));
  EXPECT_EQ(1, a->get_time_len());
}

TEST_F(QelAviFileTest, NamesThatCannotBeCached) {
  auto bare = record(u"a.avi");
  EXPECT_FALSE(bare->write_to_registry());
  EXPECT_FALSE(bare->load_from_registry());
  EXPECT_TRUE(asserts_.Has("qel_avi_file::dojob_get_file_key", "file_name"));
  auto dir = record(folder_.u16() + u"\\");
  EXPECT_FALSE(dir->write_to_registry());
  EXPECT_TRUE(asserts_.Has("qel_avi_file::dojob_get_file_key", "file_name_len"));
  // 1600 characters make 4268 Base64 characters: more than the name buffer holds.
  auto long_name = record(u"C:\\" + std::u16string(1600, u'x'));
  EXPECT_FALSE(long_name->write_to_registry());
  EXPECT_TRUE(asserts_.Has("qel_avi_file::dojob_get_file_key",
                           "rtn==0 && file_name_b64[file_name_b64_len] == 0"));

  qel_avi_file too_long;
  std::u16string path = u"C:\\" + std::u16string(2045, u'x');
  EXPECT_FALSE(too_long.create(path.c_str(), cache_.key()));
  EXPECT_TRUE(asserts_.Has("qel_avi_file::create", "len < const_qel_avi_file_name_len"));
  path.pop_back();
  EXPECT_TRUE(too_long.create(path.c_str(), cache_.key()));
  EXPECT_FALSE(too_long.create(path.c_str(), cache_.key()));
  EXPECT_TRUE(asserts_.Has("qel_avi_file::create", "m_file_name[0] == 0"));
  qel_avi_file no_key;
  EXPECT_FALSE(no_key.create(u"C:\\a.avi", ZulProfileKey()));
}

TEST_F(QelAviFileTest, ChunkVersionsAndLengths) {
  AviShape v1;
  v1.qel_top = qel_payload(1, 24, 8, 1234);
  auto a = record(put("v1.avi", build(v1)));
  ZulProfileKey entry = cache_.key().GetSubKey("dgAxAC4AYQB2AGkA");
  for (const char* v : {"src_app_type", "time_len", "has_video", "has_audio"})
    entry.GetValue(v).SetDWORD(1);
  int64_t t = 0;
  entry.GetValue("start_time").SetBinary(&t, 8);
  ASSERT_TRUE(a->load_from_registry());
  ASSERT_TRUE(a->dojob_read_qel_chunk());
  EXPECT_EQ(1, a->get_qel_chunk_version());
  EXPECT_EQ(8, a->get_src_app_type());
  EXPECT_EQ(1234, a->get_start_time());
  EXPECT_EQ(1, a->get_time_len());  // left as it was
  EXPECT_TRUE(a->get_has_video());

  AviShape short_v2;
  short_v2.qel_top = qel_payload(2, 24);
  auto b = record(put("short.avi", build(short_v2)));
  EXPECT_FALSE(b->dojob_read_qel_chunk());
  EXPECT_EQ(2, b->get_qel_chunk_version());
  EXPECT_TRUE(
      asserts_.Has("qel_avi_file::dojob_read_qel_chunk_v2", "_len == qel_chunk_format_v2_len"));

  AviShape v3;
  v3.qel_top = qel_payload(3, 36);
  auto c = record(put("v3.avi", build(v3)));
  EXPECT_FALSE(c->dojob_read_qel_chunk());
  EXPECT_EQ(3, c->get_qel_chunk_version());
  asserts_.Clear();
  EXPECT_FALSE(c->set_start_time(5, true));
  EXPECT_TRUE(asserts_.Has("qel_avi_file::dojob_write_qel_chunk", "false"));
  EXPECT_TRUE(asserts_.Has("qel_avi_file::set_start_time", "rtn"));

  AviShape big;
  big.qel_top = Bytes(40, 2);
  EXPECT_FALSE(record(put("big.avi", build(big)))->dojob_read_qel_chunk());
}

// The length must be the one the version field names, in both directions: a version-1
// chunk padded to the version-2 length is not read as either.
TEST_F(QelAviFileTest, VersionOneChunkOfTheVersionTwoLengthIsRejected) {
  AviShape s;
  s.qel_top = qel_payload(1, 36, 9, 5555);
  auto a = record(put("long_v1.avi", build(s)));
  EXPECT_FALSE(a->dojob_read_qel_chunk());
  EXPECT_EQ(1, a->get_qel_chunk_version());
  EXPECT_EQ(0, a->get_src_app_type());
  EXPECT_EQ(0, a->get_start_time());
  EXPECT_TRUE(
      asserts_.Has("qel_avi_file::dojob_read_qel_chunk_v1", "_len == qel_chunk_format_v1_len"));
}

TEST_F(QelAviFileTest, WrittenChunksReadBackInTheirVersion) {
  AviShape s;
  s.top_junk = 1016;
  s.streams = {{"vids", 1, 25, 0, 262}, {"auds", 1, 8000, 0, 80000}};
  std::u16string path = put("new.avi", build(s));
  auto a = record(path);
  ASSERT_TRUE(a->dojob_load_file_info());
  EXPECT_EQ(11, a->get_time_len());
  ASSERT_TRUE(a->set_src_app_type(4, false));
  ASSERT_TRUE(a->set_start_time(777, true));

  auto b = record(path);
  ASSERT_TRUE(b->dojob_read_qel_chunk());
  EXPECT_EQ(2, b->get_qel_chunk_version());
  EXPECT_EQ(4, b->get_src_app_type());
  EXPECT_EQ(777, b->get_start_time());
  EXPECT_EQ(11, b->get_time_len());
  EXPECT_TRUE(b->get_has_video() && b->get_has_audio());

  // A record read as version 1 keeps writing version 1.
  AviShape v1;
  v1.qel_top = qel_payload(1, 24);
  std::u16string old = put("old.avi", build(v1));
  auto c = record(old);
  ASSERT_TRUE(c->dojob_read_qel_chunk());
  ASSERT_TRUE(c->set_start_time(55, true));
  EXPECT_EQ(build(v1).size(), rec_test::read_bytes(folder_.native("old.avi")).size());
  auto d = record(old);
  ASSERT_TRUE(d->dojob_read_qel_chunk());
  EXPECT_EQ(1, d->get_qel_chunk_version());
  EXPECT_EQ(55, d->get_start_time());
}

// Every padding class of the Base64 name, checked against an independent encoder: a file
// name of n UTF-16 characters gives 2n bytes, so n % 3 == 0 needs no fill, n % 3 == 1 "=="
// and n % 3 == 2 one "=". Any other spelling loses the cache entries written before.
TEST_F(QelAviFileTest, CacheEntryNamesInEveryPaddingClass) {
  struct Name {
    std::u16string file;
    const char* key;
  };
  const Name names[] = {
      {u"ab.avi", "YQBiAC4AYQB2AGkA"},
      {u"\u5f55\u50cf.avi", "VV/PUC4AYQB2AGkA"},
      {u"a.avi", "YQAuAGEAdgBpAA=="},
      {u"\u4f1a\u8bae 1.avi", "Gk+uiyAAMQAuAGEAdgBpAA=="},
      {u"2010-11-17 09-12-53.avi",
       "MgAwADEAMAAtADEAMQAtADEANwAgADAAOQAtADEAMgAtADUAMwAuAGEAdgBpAA=="},
      {u"abc.avi", "YQBiAGMALgBhAHYAaQA="},
      {u"\u00e9t\u00e9.avi", "6QB0AOkALgBhAHYAaQA="},
      {u"2010-11-17 09-12-53-1.avi",
       "MgAwADEAMAAtADEAMQAtADEANwAgADAAOQAtADEAMgAtADUAMwAtADEALgBhAHYAaQA="},
  };
  for (size_t i = 0; i < std::size(names); ++i) {
    auto f = record(u"C:\\Rec\\" + names[i].file);
    f->set_src_app_type(static_cast<int32_t>(i + 1), false);
    ASSERT_TRUE(f->write_to_registry());
  }
  for (size_t i = 0; i < std::size(names); ++i) {
    SCOPED_TRACE(names[i].key);
    uint32_t type = 0;
    EXPECT_TRUE(cache_.key().GetSubKey(names[i].key).GetValue("src_app_type").GetDWORD(&type));
    EXPECT_EQ(i + 1, type);
  }
  std::vector<ZulProfileKey> entries;
  EXPECT_EQ(static_cast<int>(std::size(names)), cache_.key().EnumSubKeys(&entries));
  EXPECT_EQ(0u, asserts_.count());
}

// The two flags of a version-2 chunk are neighbours: a recording with only one of them
// must read, and write back, as exactly that.
TEST_F(QelAviFileTest, VersionTwoFlagsComeFromTheirOwnFields) {
  for (bool video : {true, false}) {
    SCOPED_TRACE(video ? "video only" : "audio only");
    std::string name = video ? "video_only.avi" : "audio_only.avi";
    AviShape s;
    s.qel_top = qel_payload(2, 36, 3, 4321);
    // Any non-zero word is a set flag.
    int32_t fields[3] = {17, video ? 1 : 0, video ? 0 : 2};
    memcpy(s.qel_top.data() + 24, fields, sizeof fields);
    std::u16string path = put(name, build(s));
    auto a = record(path);
    ASSERT_TRUE(a->dojob_read_qel_chunk());
    EXPECT_EQ(video, a->get_has_video());
    EXPECT_EQ(!video, a->get_has_audio());
    EXPECT_EQ(17, a->get_time_len());
    EXPECT_EQ(4321, a->get_start_time());

    ASSERT_TRUE(a->set_src_app_type(6, true));
    auto b = record(path);
    ASSERT_TRUE(b->dojob_read_qel_chunk());
    EXPECT_EQ(video, b->get_has_video());
    EXPECT_EQ(!video, b->get_has_audio());
    EXPECT_EQ(17, b->get_time_len());
    EXPECT_EQ(6, b->get_src_app_type());
  }
  EXPECT_EQ(0u, asserts_.count());
}

TEST_F(QelAviFileTest, UnreadableFilesKeepTheirDefaults) {
  AviShape s;
  Bytes truncated = build(s);
  truncated.resize(truncated.size() / 2);
  for (auto path : {put("cut.avi", truncated), folder_.file(u"missing.avi")}) {
    bool missing = path == folder_.file(u"missing.avi");
    auto a = record(path);
    // A cut file is read for what its complete frames hold, but never written.
    EXPECT_EQ(!missing, a->dojob_load_file_info());
    EXPECT_FALSE(a->dojob_read_qel_chunk());
    EXPECT_EQ(!missing, a->get_has_video() && a->get_has_audio());
    EXPECT_EQ(missing ? 0 : 1, a->get_time_len());
    EXPECT_EQ(2, a->get_qel_chunk_version());
    EXPECT_FALSE(a->set_start_time(1, true));
  }
  EXPECT_EQ(truncated, rec_test::read_bytes(folder_.native("cut.avi")));
}

#if !defined(_WIN32)
// Real recordings: ffprobe must still read every stream after tagging, and the media must
// hash the same.
TEST_F(QelAviFileTest, FfmpegRecordingsStayIntactWhenTagged) {
  rec_test::fs::path media = rec_test::media_folder(true);
  ASSERT_FALSE(media.empty());
  struct Expect {
    const char* name;
    bool video, audio;
    int32_t seconds;
  };
  for (const Expect& e :
       {Expect{"av.avi", true, true, 11}, Expect{"video.avi", true, false, 4},
        Expect{"audio.avi", false, true, 5}, Expect{"odml.avi", true, false, 24}}) {
    SCOPED_TRACE(e.name);
    rec_test::fs::path file = media / e.name;
    if (std::string(e.name) != "odml.avi") {
      rec_test::fs::copy_file(file, folder_.native(e.name));
      file = folder_.native(e.name);
    }
    std::string probed = rec_test::probe(file);
    uint64_t hash = rec_test::movi_hash(file);
    ASSERT_FALSE(probed.empty());
    auto a = record(file.u16string());
    ASSERT_TRUE(a->dojob_load_file_info());
    EXPECT_EQ(e.video, a->get_has_video());
    EXPECT_EQ(e.audio, a->get_has_audio());
    EXPECT_EQ(e.seconds, a->get_time_len());
    for (int32_t app = 1; app <= 3; ++app) {
      ASSERT_TRUE(a->set_src_app_type(app, true));
      EXPECT_EQ(probed, rec_test::probe(file));
      EXPECT_EQ(hash, rec_test::movi_hash(file));
    }
    auto b = record(file.u16string());
    ASSERT_TRUE(b->dojob_read_qel_chunk());
    EXPECT_EQ(3, b->get_src_app_type());
    EXPECT_EQ(e.seconds, b->get_time_len());
  }
}
#endif

}  // namespace
