// The common object base: an intrusive count for COM-style holders and the link to the
// shared count block that qel_ptr's pointers find through the object.
#pragma once

#include <cstdint>

struct detail_count;

class t_ZulIObject {
 public:
  t_ZulIObject() = default;
  // Objects are never copied; a copy is reported and starts as a fresh object.
  t_ZulIObject(const t_ZulIObject&);
  t_ZulIObject& operator=(const t_ZulIObject&);
  virtual ~t_ZulIObject() = default;

  virtual int32_t AddRef();
  virtual int32_t Release();
  virtual uintptr_t GetSpare() const { return mSpare; }
  virtual detail_count* get_detail() const { return mDetail; }
  virtual void set_detail(detail_count* detail);

 protected:
  int32_t mRefCnt = 0;
  uintptr_t mSpare = 0;
  detail_count* mDetail = nullptr;
};

// Every framework class derives from ZulIObject; the virtual base keeps one count and one
// block link however many framework classes an object combines.
class ZulIObject : public virtual t_ZulIObject {
 public:
  ZulIObject() = default;
  ZulIObject(const ZulIObject&);
  ZulIObject& operator=(const ZulIObject&);
  virtual ~ZulIObject() = 0;
};
