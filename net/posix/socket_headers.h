// The system's socket headers in the BSD layout, for the shared address code.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
