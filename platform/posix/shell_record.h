// Native stand-ins for the shell: tests choose the recycle bin folder and read back which
// files were asked to be played.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Files recycled from now on are moved into this folder; empty makes recycling fail.
void set_recycle_folder(const std::string& folder);
std::vector<std::u16string>& played_files();

}  // namespace platform
