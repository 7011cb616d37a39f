// Recordings on Windows (and Wine): the platform's own AVI handler must find the chunk wherever
// the writer puts it (it is only ever used to read here), and files held by others stay untouched.
#if defined(_WIN32)
#include <gtest/gtest.h>

#include "library/avi_test_builder.h"
#include "library/qel_avi_file.h"
#include "library/qel_chunk_writer.h"
#include "library/recording_test_util.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_assert_capture.h"

#include <vfw.h>

namespace {

using namespace avi_test;

struct AviFileApi {
  HMODULE dll = LoadLibraryW(L"avifil32.dll");
  decltype(&AVIFileInit) init = reinterpret_cast<decltype(&AVIFileInit)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "AVIFileInit")));
  decltype(&AVIFileExit) exit = reinterpret_cast<decltype(&AVIFileExit)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "AVIFileExit")));
  decltype(&AVIFileOpenW) open = reinterpret_cast<decltype(&AVIFileOpenW)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "AVIFileOpenW")));
  decltype(&AVIFileReadData) read = reinterpret_cast<decltype(&AVIFileReadData)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "AVIFileReadData")));
  decltype(&AVIFileRelease) release = reinterpret_cast<decltype(&AVIFileRelease)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "AVIFileRelease")));
  bool ok() const { return init && exit && open && read && release; }

  // The "_qel" data as the handler reads it; empty when it finds none.
  Bytes chunk(const std::u16string& path) {
    PAVIFILE file = nullptr;
    if (open(&file, as_wide(path.c_str()), OF_READ, nullptr) != 0 || !file)
      return {};
    Bytes data(64);
    LONG len = static_cast<LONG>(data.size());
    HRESULT hr = read(file, mmioFOURCC('_', 'q', 'e', 'l'), data.data(), &len);
    release(file);
    data.resize(hr == 0 && len > 0 ? len : 0);
    return data;
  }
};

TEST(AviHandlerCompat, HandlerFindsTheChunkInEveryPlacement) {
  AviFileApi api;
  ASSERT_TRUE(api.ok());
  api.init();
  rec_test::ScratchFolder folder("compat");
  AviShape hdrl, top, bare, odml;
  hdrl.hdrl_junk = 100;
  top.top_junk = 1016;
  odml.avix_segments = 1;
  odml.odml_index = true;
  int n = 0;
  for (const AviShape& s : {hdrl, top, bare, odml}) {
    SCOPED_TRACE(n);
    std::string name = "f" + std::to_string(n++) + ".avi";
    rec_test::write_bytes(folder.native(name), build(s));
    std::u16string path = folder.file(std::u16string(name.begin(), name.end()));
    for (uint32_t len : {36u, 24u, 36u}) {
      Bytes payload = qel_payload(len == 36 ? 2 : 1, len, n);
      AviFileTarget target(path);
      ASSERT_NE(QelChunkPlacement::kFailed, write_qel_chunk(target, payload.data(), len));
    }
    EXPECT_EQ(qel_payload(2, 36, n), api.chunk(path));
  }
  api.exit();
}

// A recording the engine still holds without sharing is neither read nor written, and is
// intact once released.
TEST(AviHandlerCompat, LockedRecordingIsLeftAlone) {
  rec_test::ScratchFolder folder("locked");
  rec_test::TestCacheKey cache;
  AviShape s;
  s.qel_top = qel_payload(2, 36);
  Bytes before = build(s);
  rec_test::write_bytes(folder.native("held.avi"), before);
  std::u16string path = folder.file(u"held.avi");
  platform::ScopedFileHandle lock(CreateFileW(as_wide(path.c_str()), GENERIC_READ | GENERIC_WRITE,
                                              0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  AssertCapture asserts;
  qel_avi_file f;
  ASSERT_TRUE(f.create(path.c_str(), cache.key()));
  EXPECT_FALSE(f.dojob_load_file_info());
  EXPECT_FALSE(f.dojob_read_qel_chunk());
  EXPECT_FALSE(f.set_start_time(9, true));
  lock.reset();
  EXPECT_EQ(before, rec_test::read_bytes(folder.native("held.avi")));
  EXPECT_TRUE(f.dojob_read_qel_chunk());
}

}  // namespace
#endif
