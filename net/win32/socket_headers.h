// The system's socket headers in Winsock's layout, for the shared address code.
#pragma once

#include "platform/win32/win.h"

#include <ws2tcpip.h>
