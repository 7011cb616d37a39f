#include "platform/text.h"

#include "platform/win32/win.h"

namespace platform {

std::string to_ansi(std::u16string_view text) {
  if (text.empty())
    return {};
  int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text.data()),
                              static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text.data()),
                        static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::u16string from_ansi(std::string_view text) {
  if (text.empty())
    return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string out(n > 0 ? n : 0, u'\0');
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

}  // namespace platform
