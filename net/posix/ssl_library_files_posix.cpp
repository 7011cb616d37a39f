#include "net/ssl_library_files.h"

namespace qel_ssl {

const char kCryptoLibraryFile[] = "libcrypto.so.3";
const char kSslLibraryFile[] = "libssl.so.3";

}  // namespace qel_ssl
