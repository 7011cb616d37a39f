// Where the program lives and where the user keeps documents.
#pragma once

#include <string>

namespace platform {

// Full path of the running executable, however long; empty on failure.
std::u16string program_path();
// The same in the ANSI code page (what the Run key stores).
std::string program_path_ansi();
// The folder of the running executable with its trailing separator; empty on failure.
std::u16string program_folder();

// The user's Documents folder (CSIDL_PERSONAL), created when missing. False on failure.
bool documents_folder(std::u16string* out);

}  // namespace platform
