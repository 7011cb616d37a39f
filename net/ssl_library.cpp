#include "net/ssl_library.h"

#include <string>

#include "net/ssl_library_files.h"
#include "platform/library.h"

namespace qel_ssl {
namespace {

struct State {
  platform::LibraryHandle crypto = nullptr;
  platform::LibraryHandle ssl = nullptr;
  SslFunctions functions;
  int users = 0;
  std::string crypto_name = kCryptoLibraryFile;
  std::string ssl_name = kSslLibraryFile;
};

State& state() {
  static auto* s = new State;
  return *s;
}

void Unload(State& s) {
  platform::library_free(s.ssl);
  platform::library_free(s.crypto);
  s.ssl = s.crypto = nullptr;
  s.functions = SslFunctions{};
}

template <typename Fn>
bool Resolve(platform::LibraryHandle lib, const char* name, Fn* out) {
  *out = reinterpret_cast<Fn>(platform::library_symbol(lib, name));
  return *out != nullptr;
}

bool ResolveAll(State& s) {
  bool ok = true;
#define QEL_SSL_RESOLVE(lib, result, name, params) \
  ok = Resolve(s.lib, #name, &s.functions.name) && ok;
  QEL_SSL_FUNCTIONS(QEL_SSL_RESOLVE)
#undef QEL_SSL_RESOLVE
  return ok;
}

}  // namespace

int SslLibrary::Acquire() {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  State& s = state();
  if (s.users > 0) {
    ++s.users;
    return kOk;
  }
  s.crypto = platform::library_load(s.crypto_name.c_str());
  s.ssl = s.crypto ? platform::library_load(s.ssl_name.c_str()) : nullptr;
  if (!s.crypto || !s.ssl || !ResolveAll(s)) {
    Unload(s);
    return kMissing;
  }
  const SslFunctions& f = s.functions;
  if (!f.OPENSSL_init_crypto(kInitLoadCryptoStrings, nullptr) ||
      !f.OPENSSL_init_ssl(kInitLoadSslStrings, nullptr)) {
    Unload(s);
    return kInitFailed;
  }
  s.users = 1;
  return kOk;
}

void SslLibrary::Release() {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  State& s = state();
  if (s.users <= 0 || --s.users > 0)
    return;
  Unload(s);
}

const SslFunctions& SslLibrary::Functions() {
  return state().functions;
}

std::recursive_mutex& SslLibrary::Lock() {
  static auto* lock = new std::recursive_mutex;
  return *lock;
}

int SslLibrary::UseCount() {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  return state().users;
}

void SslLibrary::SetLibraryNames(const char* crypto, const char* ssl) {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  state().crypto_name = crypto ? crypto : kCryptoLibraryFile;
  state().ssl_name = ssl ? ssl : kSslLibraryFile;
}

const char* SslLibrary::CryptoName() {
  return state().crypto_name.c_str();
}

const char* SslLibrary::SslName() {
  return state().ssl_name.c_str();
}

}  // namespace qel_ssl
