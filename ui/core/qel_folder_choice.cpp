#include "ui/core/qel_folder_choice.h"

namespace {

bool is_blank(char16_t c) {
  return c == u' ' || c == u'\t';
}

bool is_absolute(const std::u16string& p) {
  bool drive = p.size() >= 2 && p[1] == u':';
  return drive || (!p.empty() && p[0] == u'\\');
}

}  // namespace

qel_folder_choice qel_resolve_folder_choice(const std::u16string& text,
                                            const std::u16string& shown_folder,
                                            std::u16string* path) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && is_blank(text[begin]))
    ++begin;
  while (end > begin && is_blank(text[end - 1]))
    --end;
  std::u16string result = text.substr(begin, end - begin);
  if (result.empty())
    return qel_folder_choice::kEmpty;
  if (!is_absolute(result) && !shown_folder.empty()) {
    std::u16string base = shown_folder;
    if (base.back() != u'\\')
      base += u'\\';
    result = base + result;
  }
  // "C:\" keeps its backslash; "C:\Rec\" and "\\server\share\" lose theirs.
  while (result.size() > 1 && result.back() == u'\\' && !(result.size() == 3 && result[1] == u':'))
    result.pop_back();
  if (result.size() > kQelFolderPathMaxLen)
    return qel_folder_choice::kTooLong;
  *path = result;
  return qel_folder_choice::kPath;
}
