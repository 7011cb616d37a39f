#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "library/avi_stream_info.h"
#include "library/byte_file.h"
#include "library/riff_reader.h"
#include "tools/engine_sim/avi_writer.h"
#include "tools/engine_sim/engine_sim.h"

namespace fs = std::filesystem;

namespace {

class MemoryFile : public ByteFile {
 public:
  explicit MemoryFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool read_at(uint64_t offset, void* data, uint32_t len) override {
    if (offset > bytes_.size() || bytes_.size() - offset < len)
      return false;
    std::copy_n(bytes_.data() + offset, len, static_cast<uint8_t*>(data));
    return true;
  }
  bool size(uint64_t* out) override {
    *out = bytes_.size();
    return true;
  }
  bool write_at(uint64_t, const void*, uint32_t) override { return false; }
  bool flush() override { return true; }

 private:
  std::vector<uint8_t> bytes_;
};

TEST(EngineSimOptionsTest, ParsesItsOwnOptionsAndLeavesOthersAlone) {
  EngineSimOptions o;
  EXPECT_TRUE(engine_sim_parse_option(L"--engine-webcam=2,0", &o));
  EXPECT_TRUE(engine_sim_parse_option(L"--engine-audio=0,3", &o));
  EXPECT_TRUE(engine_sim_parse_option(L"--engine-size=320x240", &o));
  EXPECT_TRUE(engine_sim_parse_option(L"--engine-start-failed=1", &o));
  EXPECT_TRUE(engine_sim_parse_option(L"--engine-fail-request", &o));
  EXPECT_TRUE(engine_sim_parse_option(L"--engine-discard", &o));
  EXPECT_TRUE(engine_sim_parse_option(L"--engine-log=C:\\x y.log", &o));
  EXPECT_EQ(o.webcam_local, 2);
  EXPECT_EQ(o.audio_second, 3);
  EXPECT_EQ(o.width, 320);
  EXPECT_EQ(o.height, 240);
  EXPECT_EQ(o.start_failed_reason, 1);
  EXPECT_TRUE(o.fail_request && o.discard);
  EXPECT_EQ(o.log_path, L"C:\\x y.log");

  EngineSimOptions before = o;
  for (const wchar_t* bad :
       {L"--engine-size=0x10", L"--engine-size=10", L"--engine-webcam=1", L"--engine-audio=1,2,3",
        L"--engine-start-failed=x", L"--engine-log=", L"--engine-discard=1", L"--no-main", L""}) {
    EXPECT_FALSE(engine_sim_parse_option(bad, &o)) << testing::PrintToString(std::wstring(bad));
  }
  EXPECT_EQ(o.width, before.width);
  EXPECT_EQ(o.webcam_remote, before.webcam_remote);
}

TEST(AviWriterTest, WritesAnAviThatTheLibraryReadsWithBothStreams) {
  fs::path path = fs::temp_directory_path() /
                  ("qel-avi-writer-" + std::to_string(GetCurrentProcessId()) + ".avi");
  AviWriter writer;
  EXPECT_FALSE(writer.Open(path.wstring(), 0, 10));
  ASSERT_TRUE(writer.Open(path.wstring(), 33, 17));
  for (int i = 0; i < 2 * AviWriter::kFps; ++i)
    ASSERT_TRUE(writer.WriteFrame());
  ASSERT_TRUE(writer.Close());
  EXPECT_FALSE(writer.Close());

  std::ifstream in(path, std::ios::binary);
  MemoryFile file(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
  in.close();
  fs::remove(path);
  AviLayout layout;
  ASSERT_TRUE(read_avi_layout(file, &layout));
  ASSERT_EQ(layout.streams.size(), 2u);
  EXPECT_EQ(layout.streams[0].length, uint32_t(2 * AviWriter::kFps));
  EXPECT_EQ(layout.streams[1].length, uint32_t(2 * AviWriter::kSampleRate));
  AviStreamSummary summary = summarize_streams(layout);
  EXPECT_TRUE(summary.has_video);
  EXPECT_TRUE(summary.has_audio);
  EXPECT_EQ(summary.time_len, 3) << "two seconds, counted as the interface counts them";

  AviWriter unwritable;
  EXPECT_FALSE(unwritable.Open(L"Z:\\no\\such\\folder\\x.avi", 16, 16));
}

}  // namespace
