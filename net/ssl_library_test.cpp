#include "net/ssl_library.h"

#include <gtest/gtest.h>

#include "net/async_ssl_socket_layer.h"
#include "net/qel_async_socket.h"
#include "platform/library.h"
#include "platform/testing/test_env.h"

using qel_ssl::SslLibrary;

namespace {

// A system library that is there but is not the one asked for.
constexpr const char* kWrongLibrary = test_env::kOtherSystemLibrary;

struct NamesRestored {
  ~NamesRestored() { SslLibrary::SetLibraryNames(nullptr, nullptr); }
};

TEST(SslLibrary, MissingLibraryOrFunctionReportsTwoAndLeavesNothingLoaded) {
  NamesRestored restore;
  bool was_loaded = platform::library_is_loaded(kWrongLibrary);
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
      EXPECT_FALSE(platform::library_is_loaded(kWrongLibrary));
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
