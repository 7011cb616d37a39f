// Downloaded installers: a new exclusive file in the temporary folder, what its Authenticode
// signature and version resource say, and starting it. Also opening a web address.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct InstallerFileTag;
using InstallerFile = InstallerFileTag*;

// Creates "<temp folder>.ZulInstaller-<n>-<n>.exe" new and exclusive (others may only read),
// the numbers from the system's random source, trying other numbers while the name is
// taken. The temporary folder is GetTempPathW's, "c:\\" when that fails. Null on failure.
InstallerFile installer_create(std::u16string* path);
// Appends all len bytes.
bool installer_write(InstallerFile file, const void* data, uint32_t len);
// Opens an existing file for reading; others may read it but not write, rename or delete it.
InstallerFile installer_hold(const std::u16string& path);
void installer_close(InstallerFile file);
bool installer_delete(const std::u16string& path);

struct InstallerFacts {
  int32_t trust_status = -1;        // WinVerifyTrust's result, 0 when the signature holds
  uint32_t chain_status = ~0u;      // the signer chain's dwErrorStatus for code signing
  int32_t policy_status = -1;       // the Authenticode chain policy's dwError
  bool code_signing_usage = false;  // the signer's certificate allows code signing
  std::u16string organization;      // the signer's subject O=
  std::u16string file_version;      // "a.b.c.d" from the version resource, empty without
};
// Fills facts for the held file; false when nothing could be read at all.
bool installer_inspect(InstallerFile held, const std::u16string& path, InstallerFacts* facts);
// CreateProcessW with the path as the application name and, quoted, as the command line.
bool installer_start(const std::u16string& path);

// Opens the address with the shell's "open" verb, else starts the browser with it.
bool open_web_address(const std::string& url);

}  // namespace platform
