#include "qel_lib/qel_ptr.h"

#include "qel_lib/qel_assert.h"

void release_shared(detail_count* block) {
  if (!QEL_ASSERT_MSG(block->shared_count, "shared_count"))
    return;
  ++block->weak_count;  // the block must outlive the object's destructor
  if (--block->shared_count == 0 && block->object) {
    delete block->object;
    block->object = nullptr;
  }
  if (--block->weak_count == 0 && block->shared_count == 0)
    delete block;
}

void release_weak(detail_count* block) {
  if (!QEL_ASSERT_MSG(block->weak_count, "weak_count"))
    return;
  if (--block->weak_count == 0 && block->shared_count == 0)
    delete block;
}
