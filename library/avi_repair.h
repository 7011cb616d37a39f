// Makes a recording cut short playable: a copy with true RIFF and list sizes, stream
// lengths and a rebuilt idx1 replaces the file in one rename. The media bytes are copied
// unchanged, and the original stays as it was until the copy has been read back.
#pragma once

#include "library/byte_file.h"

// False, with the original untouched, when the file is not a cut recording or any step
// fails.
bool repair_cut_avi(AviTarget& target);
