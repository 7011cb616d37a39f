#include "net/ssl_library.h"

#include <gtest/gtest.h>

#include "net/async_ssl_socket_layer.h"
#include "net/dynamic_library.h"

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
    if (!was_loaded)
      EXPECT_FALSE(qel_net::library_is_loaded(kWrongLibrary));
  }
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
