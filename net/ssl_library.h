// The TLS libraries, loaded at run time by name and shared by every secure layer of the
// process: the table of functions, a use count, and the one lock that guards them together
// with the layers' shared contexts and live list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <mutex>

// The libraries' objects are only ever handled through pointers.
struct ssl_st;
struct ssl_ctx_st;
struct ssl_method_st;
struct ssl_cipher_st;
struct bio_st;
struct bio_method_st;
struct x509_st;
struct x509_store_ctx_st;
struct X509_name_st;
struct X509_name_entry_st;
struct X509_VERIFY_PARAM_st;
struct asn1_object_st;
struct asn1_string_st;
struct evp_md_st;
struct evp_pkey_st;
struct evp_cipher_st;

namespace qel_ssl {

using SSL = ssl_st;
using SSL_CTX = ssl_ctx_st;
using SSL_METHOD = ssl_method_st;
using SSL_CIPHER = ssl_cipher_st;
using BIO = bio_st;
using BIO_METHOD = bio_method_st;
using X509 = x509_st;
using X509_STORE_CTX = x509_store_ctx_st;
using X509_NAME = X509_name_st;
using X509_NAME_ENTRY = X509_name_entry_st;
using X509_VERIFY_PARAM = X509_VERIFY_PARAM_st;
using ASN1_OBJECT = asn1_object_st;
using ASN1_STRING = asn1_string_st;
using EVP_MD = evp_md_st;
using EVP_PKEY = evp_pkey_st;
using EVP_CIPHER = evp_cipher_st;
using VerifyCallback = int (*)(int, X509_STORE_CTX*);
using InfoCallback = void (*)(const SSL*, int, int);
using PasswordCallback = int (*)(char*, int, int, void*);

// The library's constants this system uses.
constexpr uint64_t kInitLoadCryptoStrings = 0x2;
constexpr uint64_t kInitLoadSslStrings = 0x200000;
constexpr int kVerifyPeer = 1;
constexpr int kFiletypePem = 1;
constexpr int kErrorWantRead = 2;
constexpr int kErrorWantWrite = 3;
constexpr int kErrorZeroReturn = 6;
constexpr int kCbLoop = 0x01;
constexpr int kCbExit = 0x02;
constexpr int kCbRead = 0x04;
constexpr int kCbAlert = 0x4000;
constexpr int kCbHandshakeDone = 0x20;
constexpr int kStConnect = 0x1000;
constexpr int kStAccept = 0x2000;
constexpr int kBioCtrlFlush = 11;
constexpr int kBioCtrlPending = 10;
constexpr int kBioCSetSsl = 109;
constexpr int kBioFlagsShouldRetry = 0x08;
constexpr int kCtrlSetTlsextHostname = 55;
constexpr int kVerifyErrChainTooLong = 22;
constexpr int kMbstringAsc = 0x1001;
constexpr int kEvpPkeyRsa = 6;
constexpr int kEvpPkeyDsa = 116;

// library, result, name, parameters
#define QEL_SSL_FUNCTIONS(X)                                                                \
  X(crypto, int, OPENSSL_init_crypto, (uint64_t, const void*))                              \
  X(crypto, void, CRYPTO_free, (void*, const char*, int))                                   \
  X(crypto, void, ERR_clear_error, ())                                                      \
  X(crypto, BIO*, BIO_new, (const BIO_METHOD*))                                             \
  X(crypto, int, BIO_free, (BIO*))                                                          \
  X(crypto, void, BIO_free_all, (BIO*))                                                     \
  X(crypto, int, BIO_new_bio_pair, (BIO**, size_t, BIO**, size_t))                          \
  X(crypto, int, BIO_read, (BIO*, void*, int))                                              \
  X(crypto, int, BIO_write, (BIO*, const void*, int))                                       \
  X(crypto, long, BIO_ctrl, (BIO*, int, long, void*))                                       \
  X(crypto, size_t, BIO_ctrl_pending, (BIO*))                                               \
  X(crypto, size_t, BIO_ctrl_get_write_guarantee, (BIO*))                                   \
  X(crypto, int, BIO_test_flags, (const BIO*, int))                                         \
  X(crypto, int, BIO_nread0, (BIO*, char**))                                                \
  X(crypto, int, BIO_nread, (BIO*, char**, int))                                            \
  X(crypto, BIO*, BIO_new_file, (const char*, const char*))                                 \
  X(crypto, void*, X509_STORE_CTX_get_ex_data, (const X509_STORE_CTX*, int))                \
  X(crypto, int, X509_STORE_CTX_get_error, (const X509_STORE_CTX*))                         \
  X(crypto, void, X509_STORE_CTX_set_error, (X509_STORE_CTX*, int))                         \
  X(crypto, int, X509_STORE_CTX_get_error_depth, (const X509_STORE_CTX*))                   \
  X(crypto, X509_NAME*, X509_get_subject_name, (const X509*))                               \
  X(crypto, X509_NAME*, X509_get_issuer_name, (const X509*))                                \
  X(crypto, int, X509_NAME_entry_count, (const X509_NAME*))                                 \
  X(crypto, X509_NAME_ENTRY*, X509_NAME_get_entry, (const X509_NAME*, int))                 \
  X(crypto, ASN1_OBJECT*, X509_NAME_ENTRY_get_object, (const X509_NAME_ENTRY*))             \
  X(crypto, ASN1_STRING*, X509_NAME_ENTRY_get_data, (const X509_NAME_ENTRY*))               \
  X(crypto, int, OBJ_obj2nid, (const ASN1_OBJECT*))                                         \
  X(crypto, const char*, OBJ_nid2sn, (int))                                                 \
  X(crypto, int, ASN1_STRING_to_UTF8, (unsigned char**, const ASN1_STRING*))                \
  X(crypto, int, ASN1_TIME_to_tm, (const ASN1_STRING*, struct tm*))                         \
  X(crypto, int, X509_digest, (const X509*, const EVP_MD*, unsigned char*, unsigned*))      \
  X(crypto, const EVP_MD*, EVP_sha1, ())                                                    \
  X(crypto, const EVP_MD*, EVP_sha256, ())                                                  \
  X(crypto, void, X509_free, (X509*))                                                       \
  X(crypto, X509*, X509_new, ())                                                            \
  X(crypto, int, X509_set_version, (X509*, long))                                           \
  X(crypto, ASN1_STRING*, X509_get_serialNumber, (X509*))                                   \
  X(crypto, int, ASN1_INTEGER_set, (ASN1_STRING*, long))                                    \
  X(crypto, ASN1_STRING*, X509_gmtime_adj, (ASN1_STRING*, long))                            \
  X(crypto, ASN1_STRING*, X509_getm_notBefore, (const X509*))                               \
  X(crypto, ASN1_STRING*, X509_getm_notAfter, (const X509*))                                \
  X(crypto, int, X509_set_pubkey, (X509*, EVP_PKEY*))                                       \
  X(crypto, int, X509_NAME_add_entry_by_txt,                                                \
    (X509_NAME*, const char*, int, const unsigned char*, int, int, int))                    \
  X(crypto, int, X509_set_issuer_name, (X509*, const X509_NAME*))                           \
  X(crypto, int, X509_sign, (X509*, EVP_PKEY*, const EVP_MD*))                              \
  X(crypto, EVP_PKEY*, X509_get0_pubkey, (const X509*))                                     \
  X(crypto, int, EVP_PKEY_get_bits, (const EVP_PKEY*))                                      \
  X(crypto, int, EVP_PKEY_get_base_id, (const EVP_PKEY*))                                   \
  X(crypto, EVP_PKEY*, EVP_PKEY_Q_keygen, (void*, const char*, const char*, ...))           \
  X(crypto, void, EVP_PKEY_free, (EVP_PKEY*))                                               \
  X(crypto, int, PEM_write_bio_PrivateKey_traditional,                                      \
    (BIO*, const EVP_PKEY*, const EVP_CIPHER*, const unsigned char*, int, PasswordCallback, \
     void*))                                                                                \
  X(crypto, int, PEM_write_bio_X509, (BIO*, const X509*))                                   \
  X(crypto, int, X509_VERIFY_PARAM_set1_host, (X509_VERIFY_PARAM*, const char*, size_t))    \
  X(crypto, int, X509_VERIFY_PARAM_set1_ip_asc, (X509_VERIFY_PARAM*, const char*))          \
  X(ssl, int, OPENSSL_init_ssl, (uint64_t, const void*))                                    \
  X(ssl, const SSL_METHOD*, TLS_method, ())                                                 \
  X(ssl, SSL_CTX*, SSL_CTX_new, (const SSL_METHOD*))                                        \
  X(ssl, void, SSL_CTX_free, (SSL_CTX*))                                                    \
  X(ssl, void, SSL_CTX_set_verify, (SSL_CTX*, int, VerifyCallback))                         \
  X(ssl, int, SSL_CTX_load_verify_locations, (SSL_CTX*, const char*, const char*))          \
  X(ssl, int, SSL_use_certificate_chain_file, (SSL*, const char*))                          \
  X(ssl, int, SSL_use_PrivateKey_file, (SSL*, const char*, int))                            \
  X(ssl, int, SSL_check_private_key, (const SSL*))                                          \
  X(ssl, void, SSL_set_default_passwd_cb, (SSL*, PasswordCallback))                         \
  X(ssl, void, SSL_set_default_passwd_cb_userdata, (SSL*, void*))                           \
  X(ssl, SSL*, SSL_new, (SSL_CTX*))                                                         \
  X(ssl, void, SSL_free, (SSL*))                                                            \
  X(ssl, void, SSL_set_info_callback, (SSL*, InfoCallback))                                 \
  X(ssl, void, SSL_set_bio, (SSL*, BIO*, BIO*))                                             \
  X(ssl, void, SSL_set_connect_state, (SSL*))                                               \
  X(ssl, void, SSL_set_accept_state, (SSL*))                                                \
  X(ssl, int, SSL_do_handshake, (SSL*))                                                     \
  X(ssl, int, SSL_peek, (SSL*, void*, int))                                                 \
  X(ssl, int, SSL_pending, (const SSL*))                                                    \
  X(ssl, int, SSL_get_error, (const SSL*, int))                                             \
  X(ssl, int, SSL_shutdown, (SSL*))                                                         \
  X(ssl, long, SSL_get_verify_result, (const SSL*))                                         \
  X(ssl, const SSL_CIPHER*, SSL_get_current_cipher, (const SSL*))                           \
  X(ssl, const char*, SSL_CIPHER_get_name, (const SSL_CIPHER*))                             \
  X(ssl, const char*, SSL_CIPHER_get_version, (const SSL_CIPHER*))                          \
  X(ssl, const char*, SSL_get_version, (const SSL*))                                        \
  X(ssl, const char*, SSL_state_string_long, (const SSL*))                                  \
  X(ssl, const char*, SSL_alert_type_string_long, (int))                                    \
  X(ssl, const char*, SSL_alert_desc_string_long, (int))                                    \
  X(ssl, X509*, SSL_get1_peer_certificate, (const SSL*))                                    \
  X(ssl, X509*, SSL_get_certificate, (const SSL*))                                          \
  X(ssl, uint64_t, SSL_set_options, (SSL*, uint64_t))                                       \
  X(ssl, X509_VERIFY_PARAM*, SSL_get0_param, (SSL*))                                        \
  X(ssl, long, SSL_ctrl, (SSL*, int, long, void*))                                          \
  X(ssl, int, SSL_get_ex_data_X509_STORE_CTX_idx, ())                                       \
  X(ssl, const BIO_METHOD*, BIO_f_ssl, ())

struct SslFunctions {
#define QEL_SSL_FIELD(lib, result, name, params) result(*name) params = nullptr;
  QEL_SSL_FUNCTIONS(QEL_SSL_FIELD)
#undef QEL_SSL_FIELD
};

class SslLibrary {
 public:
  // What Acquire reports, as InitSSL does.
  enum Result : int { kOk = 0, kMissing = 2, kInitFailed = 4 };

  // The first user loads both libraries and every function (all must exist, else both are
  // released again) and initialises them; later users only count.
  static int Acquire();
  // The last user unloads them.
  static void Release();
  static const SslFunctions& Functions();
  static std::recursive_mutex& Lock();
  static int UseCount();

  // The file names tried; tests point them elsewhere. Null restores the defaults.
  static void SetLibraryNames(const char* crypto, const char* ssl);
  static const char* CryptoName();
  static const char* SslName();
};

}  // namespace qel_ssl
