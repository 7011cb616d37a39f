// What the folder dialog makes of the text in its folder field before it tests the folder.
#pragma once

#include <string>

// Folder paths are held in 2048 characters; one more is kept free for the double NUL that
// shell operations on the folder need, so 2047 characters or more are refused.
inline constexpr size_t kQelFolderPathMaxLen = 2046;

enum class qel_folder_choice { kEmpty, kTooLong, kPath };

// Trims blanks, resolves a relative text against the folder the dialog shows and drops
// trailing backslashes except after a drive ("C:\"). The result is never cut short: a path
// too long to hold is reported as such.
qel_folder_choice qel_resolve_folder_choice(const std::u16string& text,
                                            const std::u16string& shown_folder,
                                            std::u16string* path);
