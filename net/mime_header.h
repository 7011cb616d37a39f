// The header fields of a reply: an ordered list of name, value and character set.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CMimeHeader {
 public:
  struct Field {
    std::string name;
    std::string value;  // folded lines joined, their line breaks removed
    std::string charset;
  };

  // Reads fields up to the empty line; *used receives the bytes taken including that line.
  // Fails on a line without a colon or a field not ended by CR LF within the range.
  bool Load(const char* data, size_t size, size_t* used = nullptr);
  // The first field whose name matches without regard to case, or null.
  const Field* Find(const std::string& name) const;
  void Clear() { mFields.clear(); }
  const std::vector<Field>& Fields() const { return mFields; }

 private:
  std::vector<Field> mFields;
};
