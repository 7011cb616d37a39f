// An owner of the socket wrapper that keeps every event the wrapper publishes.
#pragma once

#include <algorithm>
#include <vector>

#include "net/qel_async_socket.h"
#include "qel_lib/qel_subject.h"

namespace net_testing {

class WrapperOwner : public ZulIObject {
 public:
  // An owner already listening to socket.
  static shared_ptr<WrapperOwner> AttachedTo(ZulAsyncSocket& socket) {
    shared_ptr<WrapperOwner> owner(new WrapperOwner);
    owner->adapter.Bind(owner, &WrapperOwner::OnSocket);
    socket.Attach(&owner->adapter, 0);
    return owner;
  }

  void OnSocket(const ZulAsyncSocketEvent* e) { events.push_back(*e); }
  // The first event of type, null when there was none.
  const ZulAsyncSocketEvent* Find(int type) const {
    auto it = std::find_if(events.begin(), events.end(), [&](auto& e) { return e.mType == type; });
    return it == events.end() ? nullptr : &*it;
  }
  bool Saw(int type) const { return Find(type) != nullptr; }

  ObserverAdapter<WrapperOwner, ZulAsyncSocketSubject> adapter;
  std::vector<ZulAsyncSocketEvent> events;
};

}  // namespace net_testing
