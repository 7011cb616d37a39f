#include "net/qel_dlg_download_system.h"

namespace {

class PlatformDownloadSystem : public DlgDownloadSystem {
 public:
  ~PlatformDownloadSystem() override {
    CloseTmpFile();
    Release();
  }
  bool CreateTmpFile(std::u16string* path) override {
    CloseTmpFile();
    mWritten = platform::installer_create(path);
    return mWritten != nullptr;
  }
  bool WriteTmpFile(const void* data, uint32_t len) override {
    return mWritten && platform::installer_write(mWritten, data, len);
  }
  void CloseTmpFile() override {
    platform::installer_close(mWritten);
    mWritten = nullptr;
  }
  bool Hold(const std::u16string& path) override {
    Release();
    mHeld = platform::installer_hold(path);
    return mHeld != nullptr;
  }
  bool IsHeld() const override { return mHeld != nullptr; }
  bool Inspect(const std::u16string& path, platform::InstallerFacts* facts) override {
    return mHeld && platform::installer_inspect(mHeld, path, facts);
  }
  bool StartInstaller(const std::u16string& path) override {
    return mHeld && platform::installer_start(path);
  }
  void Release() override {
    platform::installer_close(mHeld);
    mHeld = nullptr;
  }
  bool DeleteTmpFile(const std::u16string& path) override {
    return platform::installer_delete(path);
  }
  bool OpenWebAddress(const std::string& url) override { return platform::open_web_address(url); }

 private:
  platform::InstallerFile mWritten = nullptr;
  platform::InstallerFile mHeld = nullptr;
};

}  // namespace

std::unique_ptr<DlgDownloadSystem> qel_platform_download_system() {
  return std::make_unique<PlatformDownloadSystem>();
}
