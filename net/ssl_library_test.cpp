#include "net/ssl_library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "net/async_ssl_socket_layer.h"
#include "net/dynamic_library.h"
#include "net/qel_async_socket.h"
#include "platform/paths.h"
#include "platform/text.h"

using qel_ssl::SslLibrary;

namespace {

#ifdef _WIN32
// A system library that is there but is not the one asked for.
constexpr char kWrongLibrary[] = "winmm.dll";
#else
constexpr char kWrongLibrary[] = "libz.so.1";
#endif

struct NamesRestored {
  ~NamesRestored() { SslLibrary::SetLibraryNames(nullptr, nullptr); }
};

TEST(SslLibrary, MissingLibraryOrFunctionReportsTwoAndLeavesNothingLoaded) {
  NamesRestored restore;
  bool was_loaded = qel_net::library_is_loaded(kWrongLibrary);
  struct Case {
    const char* crypto;
    const char* ssl;
  } cases[] = {
      {"qel-no-such-crypto", nullptr},
      {kWrongLibrary, "qel-no-such-ssl"},
      {kWrongLibrary, kWrongLibrary},  // loads, but the functions are not in it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.crypto) + " / " + (c.ssl ? c.ssl : "default"));
    SslLibrary::SetLibraryNames(c.crypto, c.ssl);
    CAsyncSslSocketLayer layer;
    EXPECT_EQ(layer.InitSSL(), 2);
    EXPECT_EQ(layer.InitSSLConnection(true), 2);
    EXPECT_FALSE(layer.IsUsingSSL());
    EXPECT_EQ(SslLibrary::UseCount(), 0);
    if (!was_loaded) {
      EXPECT_FALSE(qel_net::library_is_loaded(kWrongLibrary));
    }
  }
  // The socket wrapper cannot create a secure socket then.
  ZulAsyncSocket socket;
  shared_ptr<ZulAsyncSocketLayerCfg> cfg(new ZulAsyncSocketLayerCfg);
  cfg->mType = 5;
  EXPECT_TRUE(socket.AddLayer(cfg));
  EXPECT_FALSE(socket.Create());
  EXPECT_EQ(SslLibrary::UseCount(), 0);
}

TEST(SslLibrary, PassesThroughWhileNotInitialised) {
  CAsyncSslSocketLayer layer;
  t_SslCertData data;
  EXPECT_FALSE(layer.GetPeerCertificateData(data));
  EXPECT_FALSE(layer.SetNotifyReply(0, CAsyncSslSocketLayer::kSslVerifyCert, 1));
  std::string error;
  EXPECT_FALSE(layer.SetCertKeyFile("cert.pem", "key.pem", nullptr, &error));
  EXPECT_EQ(error, "Failed to initialize SSL library");
}

}  // namespace

namespace {

#ifdef _WIN32
constexpr char kSource[] = "C:\\windows\\system32\\winmm.dll";
constexpr char kPlanted[] = "qel_planted_lib.dll";
#else
constexpr char kSource[] = "/lib/x86_64-linux-gnu/libz.so.1";
constexpr char kPlanted[] = "libqel_planted.so";
#endif

TEST(DynamicLibrary, LoadsFromTheProgramsFolderButNotTheCurrentOne) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path program_dir = fs::path(platform::to_ansi(platform::program_path())).parent_path();
  fs::path cwd = fs::temp_directory_path() / "qel_planted_cwd";
  fs::create_directories(cwd, ec);
  ASSERT_TRUE(fs::copy_file(kSource, cwd / kPlanted, fs::copy_options::overwrite_existing, ec))
      << ec.message();
  fs::path before = fs::current_path();
  fs::current_path(cwd);
  EXPECT_EQ(qel_net::library_load(kPlanted), nullptr);
  fs::current_path(before);

  // The same file beside the program is found (when the platform can load a renamed copy).
  fs::copy_file(kSource, program_dir / kPlanted, fs::copy_options::overwrite_existing, ec);
  qel_net::LibraryHandle lib = qel_net::library_load(kPlanted);
#ifndef _WIN32
  EXPECT_NE(lib, nullptr);
#endif
  qel_net::library_free(lib);
  fs::remove(program_dir / kPlanted, ec);
  fs::remove_all(cwd, ec);
}

}  // namespace
