// Enumerators over a snapshot of items, as connection points and their containers hand
// out. Traits give the interface's id and how an item gains and drops its reference.
#pragma once

#include <new>
#include <vector>

#include "platform/win32/win.h"

#include <ocidl.h>

#include "winkit/wk_unknown.h"

template <class IEnum, class Item, class Traits>
class WkComEnum : public WkUnknown<IEnum> {
 public:
  // Takes its own reference on every item.
  static HRESULT Create(const std::vector<Item>& items, IEnum** out) {
    if (!out)
      return E_POINTER;
    WkComEnum* e = new (std::nothrow) WkComEnum(items);
    *out = e;
    return e ? S_OK : E_OUTOFMEMORY;
  }

  STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched))
      return E_POINTER;
    ULONG n = 0;
    for (; n < count && m_pos < m_items.size(); ++n, ++m_pos) {
      out[n] = m_items[m_pos];
      Traits::add_ref(out[n]);
    }
    if (fetched)
      *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    size_t left = m_items.size() - m_pos;
    m_pos += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    m_pos = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnum** out) override {
    HRESULT hr = Create(m_items, out);
    if (SUCCEEDED(hr))
      static_cast<WkComEnum*>(*out)->m_pos = m_pos;
    return hr;
  }

 private:
  explicit WkComEnum(const std::vector<Item>& items)
      : WkUnknown<IEnum>(Traits::iid()), m_items(items) {
    for (Item& item : m_items)
      Traits::add_ref(item);
  }
  ~WkComEnum() override {
    for (Item& item : m_items)
      Traits::release(item);
  }

  std::vector<Item> m_items;
  size_t m_pos = 0;
};

struct WkConnectDataTraits {
  static const IID& iid() { return IID_IEnumConnections; }
  static void add_ref(CONNECTDATA& d) { d.pUnk->AddRef(); }
  static void release(CONNECTDATA& d) { d.pUnk->Release(); }
};
using WkEnumConnections = WkComEnum<IEnumConnections, CONNECTDATA, WkConnectDataTraits>;

struct WkConnectionPointTraits {
  static const IID& iid() { return IID_IEnumConnectionPoints; }
  static void add_ref(IConnectionPoint*& p) { p->AddRef(); }
  static void release(IConnectionPoint*& p) { p->Release(); }
};
using WkEnumConnectionPoints =
    WkComEnum<IEnumConnectionPoints, IConnectionPoint*, WkConnectionPointTraits>;
