// How the network fuzzers feed a reply: in receives of pseudo-random sizes (mostly small,
// now and then up to 4 KB) drawn from a seed the input itself carries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "net/testing/scripted_socket.h"

// Eight bytes, big-endian, made odd: the xorshift below never leaves zero.
inline uint64_t split_seed(const uint8_t* bytes) {
  uint64_t seed = 0;
  for (int i = 0; i < 8; ++i)
    seed = (seed << 8) | bytes[i];
  return seed | 1;
}

// Delivers the reply piece by piece while busy() holds.
inline void deliver_split(ScriptedSocket* socket,
                          const std::string& reply,
                          uint64_t seed,
                          const std::function<bool()>& busy) {
  size_t pos = 0;
  while (pos < reply.size() && busy()) {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    size_t n = 1 + seed % (seed & 0x100 ? 4096 : 16);
    socket->Deliver(reply.substr(pos, n));
    pos += n;
  }
}
