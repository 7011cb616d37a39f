#include "net/mime_header.h"

#include <cstring>

namespace {

bool same_name(const std::string& a, const std::string& b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z')
      x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z')
      y += 'a' - 'A';
    if (x != y)
      return false;
  }
  return true;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// Reads one field starting at pos; on success pos is after its final CR LF.
bool load_field(const char* data, size_t size, size_t& pos, CMimeHeader::Field* field) {
  size_t colon = pos;
  while (colon < size && data[colon] != ':' && data[colon] != '\r' && data[colon] != '\n')
    ++colon;
  if (colon >= size || data[colon] != ':')
    return false;
  field->name.assign(data + pos, colon - pos);
  size_t p = colon + 1;
  while (p < size && is_blank(data[p]))
    ++p;
  for (;;) {
    const void* cr = std::memchr(data + p, '\r', size - p);
    if (!cr)
      return false;
    size_t at = static_cast<const char*>(cr) - data;
    field->value.append(data + p, at - p);
    if (at + 1 >= size)
      return false;
    if (data[at + 1] != '\n') {
      field->value += '\r';
      p = at + 1;
      continue;
    }
    p = at + 2;
    if (p < size && is_blank(data[p]))
      continue;  // a folded continuation line
    pos = p;
    return true;
  }
}

}  // namespace

bool CMimeHeader::Load(const char* data, size_t size, size_t* used) {
  size_t pos = 0;
  while (pos < size && data[pos] != '\r') {
    Field field;
    if (!load_field(data, size, pos, &field))
      return false;
    mFields.push_back(std::move(field));
  }
  if (pos < size)
    pos = (pos + 1 < size && data[pos + 1] == '\n') ? pos + 2 : pos + 1;
  if (used)
    *used = pos;
  return true;
}

const CMimeHeader::Field* CMimeHeader::Find(const std::string& name) const {
  for (const Field& f : mFields)
    if (same_name(f.name, name))
      return &f;
  return nullptr;
}
