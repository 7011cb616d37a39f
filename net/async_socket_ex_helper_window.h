// One per thread that owns sockets: the table of the thread's sockets and the handling of
// the helper's messages (operating-system notifications, layer records, lookup answers,
// layer callbacks and the close-retry timer). Only the Windows backend of helper_port.h
// makes it a window; on posix it is a message queue drained by the event loop.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "net/helper_port.h"

class CAsyncSocketEx;
class CAsyncSocketExHelperWindow;

struct t_AsyncSocketExThreadData {
  CAsyncSocketExHelperWindow* m_pHelperWindow = nullptr;
  int nInstanceCount = 0;
  std::thread::id nThreadId;
  // Sockets whose close is retried until their readable bytes are taken.
  std::list<CAsyncSocketEx*> layerCloseNotify;
  t_AsyncSocketExThreadData* pNext = nullptr;
};

// Record of a notification posted with kMsgLayer; the wparam is the socket's slot.
struct t_LayerNotifyMsg {
  qel_net::SocketHandle hSocket;
  class CAsyncSocketExLayer* pLayer;
  long lEvent;  // notification in the low 16 bits, error in the high 16
};

class CAsyncSocketExHelperWindow {
 public:
  static constexpr int kInitialSlots = 512;
  static constexpr int kGrowSlots = 512;
  static constexpr int kMaxSlots = 48125;  // keeps 1027 + slot below 0xC000

  explicit CAsyncSocketExHelperWindow(t_AsyncSocketExThreadData* context);
  ~CAsyncSocketExHelperWindow();
  bool Create();

  // Enters the socket in the table and stores its slot; false when the table is full.
  bool AddSocket(CAsyncSocketEx* socket, int& slot);
  void RemoveSocket(CAsyncSocketEx* socket, int& slot);
  CAsyncSocketEx* SocketAt(int slot) const;
  // Posts a layer record for the socket in slot; the message owns its copy of the record.
  bool PostLayerRecord(int slot, const t_LayerNotifyMsg& record);
  // Connect-by-name lookups in flight, by handle: a family-0 socket has no slot yet.
  void WatchAddrLookup(uintptr_t handle, CAsyncSocketEx* socket);
  void ForgetAddrLookup(uintptr_t handle);
  int Capacity() const { return static_cast<int>(m_pAsyncSocketExWindowData.size()); }
  int Count() const { return m_nSocketCount; }

  qel_net::HelperPort& Port() { return *m_port; }
  t_AsyncSocketExThreadData* Context() const { return m_pThreadData; }

  void OnMessage(unsigned msg, uintptr_t wparam, intptr_t lparam);
  void OnRetryTimer();

 private:
  void OnSocketMessage(int slot, uintptr_t wparam, intptr_t lparam);
  void OnLayerMessage(uintptr_t wparam, intptr_t lparam);
  void OnLookupAnswer(uintptr_t wparam, intptr_t lparam);
  void OnAddrListAnswer(uintptr_t wparam, intptr_t lparam);
  void OnCallbackMessage(uintptr_t wparam);

  std::unique_ptr<qel_net::HelperPort> m_port;
  std::vector<CAsyncSocketEx*> m_pAsyncSocketExWindowData;
  int m_nWindowDataPos = 0;
  int m_nSocketCount = 0;
  std::map<uintptr_t, CAsyncSocketEx*> m_addrLookups;
  t_AsyncSocketExThreadData* m_pThreadData;
};

// The calling thread's context, created with its helper on first use; null on failure.
t_AsyncSocketExThreadData* JoinThreadContext();
// Drops one use; the last one destroys the helper and the context.
void LeaveThreadContext(t_AsyncSocketExThreadData* context);
