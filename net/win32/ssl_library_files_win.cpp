#include "net/ssl_library_files.h"

namespace qel_ssl {

const char kCryptoLibraryFile[] = "libcrypto-3-x64.dll";
const char kSslLibraryFile[] = "libssl-3-x64.dll";

}  // namespace qel_ssl
