#include "qel_lib/qel_iobject.h"

#include "qel_lib/qel_assert.h"

t_ZulIObject::t_ZulIObject(const t_ZulIObject&) {
  QEL_ASSERT(false);
}

t_ZulIObject& t_ZulIObject::operator=(const t_ZulIObject&) {
  QEL_ASSERT(false);
  return *this;
}

int32_t t_ZulIObject::AddRef() {
  return ++mRefCnt;
}

int32_t t_ZulIObject::Release() {
  QEL_ASSERT(mRefCnt);
  if (mRefCnt && --mRefCnt)
    return mRefCnt;
  delete this;
  return 0;
}

void t_ZulIObject::set_detail(detail_count* detail) {
  QEL_ASSERT(!mDetail);
  mDetail = detail;
}

ZulIObject::ZulIObject(const ZulIObject&) : t_ZulIObject() {
  QEL_ASSERT(false);
}

ZulIObject& ZulIObject::operator=(const ZulIObject&) {
  QEL_ASSERT(false);
  return *this;
}

ZulIObject::~ZulIObject() = default;
