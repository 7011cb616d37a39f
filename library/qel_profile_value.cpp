// ZulProfileValue: counted value handles and their typed accessors.
#include <cstring>
#include <vector>

#include "library/qel_profile.h"

bool ZulProfileValue::Read(void* buffer, uint32_t* size, uint32_t* type) const {
  if (!m_impl)
    return false;
  platform::RegKey key = m_impl->Key()->GetOpenHKEY();
  return key && platform::reg_query_value(key, m_impl->Name().c_str(), type, buffer, size) ==
                    platform::kErrorSuccess;
}

bool ZulProfileValue::Write(uint32_t type, const void* data, uint32_t size) const {
  if (!m_impl)
    return false;
  platform::RegKey key = m_impl->Key()->AssertOpenHKEY();
  return key && platform::reg_set_value(key, m_impl->Name().c_str(), type, data, size) ==
                    platform::kErrorSuccess;
}

bool ZulProfileValue::GetDWORD(uint32_t* value) const {
  uint32_t data = 0;
  uint32_t size = sizeof data;
  // A shorter value would leave part of the caller's default in place: not a DWORD.
  if (!value || !Read(&data, &size) || size != sizeof data)
    return false;
  *value = data;
  return true;
}

bool ZulProfileValue::GetDWORD(int32_t* value) const {
  uint32_t data = 0;
  if (!value || !GetDWORD(&data))
    return false;
  *value = static_cast<int32_t>(data);
  return true;
}

bool ZulProfileValue::SetDWORD(uint32_t value) const {
  return Write(platform::kRegDword, &value, sizeof value);
}

bool ZulProfileValue::GetBool(bool* value) const {
  uint32_t data = 0;
  if (!value || !GetDWORD(&data))
    return false;
  *value = data != 0;
  return true;
}

bool ZulProfileValue::SetBool(bool value) const {
  return SetDWORD(value ? 1 : 0);
}

// The registry leaves a buffer's contents undefined when the value does not fit, so reads go
// through a scratch buffer and reach the caller's only on success.
bool ZulProfileValue::GetString(char* buffer, uint32_t size) const {
  if (!buffer || size == 0)
    return false;
  std::vector<char> scratch(size);
  uint32_t count = size;
  if (!Read(scratch.data(), &count) || count > size)
    return false;
  if (count == size && scratch[size - 1] != '\0')
    return false;
  std::memcpy(buffer, scratch.data(), count);
  if (count < size)
    buffer[count] = '\0';
  return true;
}

bool ZulProfileValue::SetString(std::string_view text) const {
  return Write(platform::kRegSz, text.data(), static_cast<uint32_t>(text.size()));
}

bool ZulProfileValue::SetWString(std::u16string_view text) const {
  return Write(platform::kRegSz, text.data(), static_cast<uint32_t>(text.size() * 2));
}

bool ZulProfileValue::GetType(uint32_t* type) const {
  uint32_t size = 0;
  return type && Read(nullptr, &size, type);
}

bool ZulProfileValue::GetWString(std::u16string* text, uint32_t max_units) const {
  uint32_t type = 0;
  if (!text || !GetType(&type) || type != platform::kRegSz)
    return false;
  // Room for a terminator the registry may append, so that a full value is not cut short.
  std::vector<char16_t> scratch(static_cast<size_t>(max_units) + 2);
  uint32_t count = static_cast<uint32_t>(scratch.size() * 2);
  if (!Read(scratch.data(), &count, &type) || type != platform::kRegSz || count % 2)
    return false;
  size_t units = count / 2;
  while (units && !scratch[units - 1])
    --units;
  if (units > max_units)
    return false;
  text->assign(scratch.data(), units);
  return true;
}

bool ZulProfileValue::GetBinary(void* buffer, uint32_t capacity, uint32_t* out_count) const {
  if (!buffer || !out_count || capacity == 0)
    return false;
  std::vector<unsigned char> scratch(capacity);
  uint32_t count = capacity;
  if (!Read(scratch.data(), &count) || count > capacity)
    return false;
  std::memcpy(buffer, scratch.data(), count);
  *out_count = count;
  return true;
}

bool ZulProfileValue::SetBinary(const void* data, uint32_t count) const {
  if (!data && count)
    return false;
  return Write(platform::kRegBinary, data, count);
}

bool ZulProfileValue::GetBytes(std::vector<uint8_t>* bytes) const {
  uint32_t size = 0;
  if (!bytes || !Read(nullptr, &size))
    return false;
  std::vector<uint8_t> scratch(size);
  if (size && !Read(scratch.data(), &size))
    return false;
  scratch.resize(size);
  bytes->swap(scratch);
  return true;
}
