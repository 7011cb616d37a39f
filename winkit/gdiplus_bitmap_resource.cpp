#include "winkit/gdiplus_bitmap_resource.h"

#include <cstring>

bool CGdiPlusBitmapResource::Load(UINT id, const wchar_t* type, HMODULE module) {
  Empty();
  if (!module)
    module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  DWORD size = found ? SizeofResource(module, found) : 0;
  const void* data = size ? LockResource(LoadResource(module, found)) : nullptr;
  if (!data)
    return false;
  // The stream must stay readable for the bitmap's lifetime, so it reads a copy we keep.
  m_buffer = GlobalAlloc(GMEM_MOVEABLE, size);
  void* copy = m_buffer ? GlobalLock(m_buffer) : nullptr;
  if (!copy) {
    Empty();
    return false;
  }
  memcpy(copy, data, size);
  GlobalUnlock(m_buffer);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(m_buffer, FALSE, &stream) == S_OK) {
    m_bitmap = Gdiplus::Bitmap::FromStream(stream);
    stream->Release();
  }
  if (!m_bitmap || m_bitmap->GetLastStatus() != Gdiplus::Ok) {
    Empty();
    return false;
  }
  return true;
}

void CGdiPlusBitmapResource::Empty() {
  delete m_bitmap;
  m_bitmap = nullptr;
  if (m_buffer)
    GlobalFree(m_buffer);
  m_buffer = nullptr;
}

UINT CGdiPlusBitmapResource::GetWidth() const {
  return m_bitmap ? m_bitmap->GetWidth() : 0;
}

UINT CGdiPlusBitmapResource::GetHeight() const {
  return m_bitmap ? m_bitmap->GetHeight() : 0;
}
