// The file names of the TLS libraries on this platform; each backend defines its own.
#pragma once

namespace qel_ssl {

extern const char kCryptoLibraryFile[];
extern const char kSslLibraryFile[];

}  // namespace qel_ssl
