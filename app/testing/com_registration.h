// The keys that the program's "/Regserver" writes under HKEY_CLASSES_ROOT, for tests that
// check a registration or its complete removal.
#pragma once

#include <string>
#include <vector>

namespace qel_testing {

inline constexpr wchar_t kAppId[] = L"{F1BE7889-80DA-4C7F-84DD-4EF9FF4B8248}";
inline constexpr wchar_t kAppClsid[] = L"{2D2E40D2-0595-4697-B889-A87AB4250109}";
inline constexpr wchar_t kUiClsid[] = L"{C21F3A8D-176E-4644-A92F-69A93B5B6823}";
inline constexpr wchar_t kPsClsid[] = L"{6C3B0E52-4D1A-4F37-9B2E-715AC8403D19}";
inline constexpr const wchar_t* kInterfaces[] = {
    L"{7B67BFAC-A2DA-49BE-A69E-909CE167A86B}", L"{CA28B384-DF62-4726-973D-18A0656F781A}",
    L"{34D34934-E64E-4B94-8D31-2AA7C8561FC8}", L"{10E03383-9244-4DAF-80BA-497C6C933803}"};

bool key_exists(const std::wstring& path);

// A string value of a key under HKEY_CLASSES_ROOT ("" names the default value); "<none>"
// when the key or the value is missing.
std::wstring value(const std::wstring& path, const wchar_t* name = L"");

// Every key the registration writes, with no trace of it left on removal.
std::vector<std::wstring> registered_keys();

}  // namespace qel_testing
