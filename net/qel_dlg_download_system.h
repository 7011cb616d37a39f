// The download dialog's side of the operating system: the temporary installer file, its
// verification, starting it and opening the browser. Tests substitute a fake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/installer.h"

class DlgDownloadSystem {
 public:
  virtual ~DlgDownloadSystem() = default;
  // A new installer file in the temporary folder, written by this object only.
  virtual bool CreateTmpFile(std::u16string* path) = 0;
  virtual bool WriteTmpFile(const void* data, uint32_t len) = 0;
  virtual void CloseTmpFile() = 0;
  // Opens the finished file so that nobody can change, rename or delete it until Release.
  virtual bool Hold(const std::u16string& path) = 0;
  virtual bool IsHeld() const = 0;
  // What the held file's signature and version resource say.
  virtual bool Inspect(const std::u16string& path, platform::InstallerFacts* facts) = 0;
  virtual bool StartInstaller(const std::u16string& path) = 0;
  virtual void Release() = 0;
  virtual bool DeleteTmpFile(const std::u16string& path) = 0;
  virtual bool OpenWebAddress(const std::string& url) = 0;
};

// The real one, over platform/installer.h.
std::unique_ptr<DlgDownloadSystem> qel_platform_download_system();
