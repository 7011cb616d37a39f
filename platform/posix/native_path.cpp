#include "platform/posix/native_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/text.h"

namespace platform {
namespace {

// Letter case folded the way NTFS compares names, for the scripts the program's users write
// file names in most: ASCII, Latin-1, Greek and Cyrillic.
char16_t fold(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
      (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
    return c - 0x20;
  return c;
}

bool same_ignoring_case(const std::string& a, const std::string& b) {
  std::u16string x = from_ansi(a), y = from_ansi(b);
  if (x.size() != y.size())
    return false;
  for (size_t i = 0; i < x.size(); ++i)
    if (fold(x[i]) != fold(y[i]))
      return false;
  return true;
}

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The name of the entry of `folder` that matches `name` but for case; `name` when none does.
std::string entry_named(const std::string& folder, const std::string& name) {
  DIR* d = opendir(folder.empty() ? "/" : folder.c_str());
  if (!d)
    return name;
  std::string found = name;
  while (dirent* e = readdir(d)) {
    if (same_ignoring_case(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}

}  // namespace

std::string native_path(const std::u16string& path) {
  std::string p = to_ansi(path);
  for (char& c : p)
    if (c == '\\')
      c = '/';
  if (p.empty() || exists(p))
    return p;
  // Walk down while the spelling given exists; from the first component that does not, take
  // a folder entry's spelling, until one exists in no spelling at all.
  std::string out = p[0] == '/' ? "/" : "";
  size_t start = p[0] == '/' ? 1 : 0;
  bool resolving = true;
  while (start <= p.size()) {
    size_t end = p.find('/', start);
    if (end == std::string::npos)
      end = p.size();
    std::string name = p.substr(start, end - start);
    std::string folder = out.empty() ? "." : out;
    if (!folder.empty() && folder.size() > 1 && folder.back() == '/')
      folder.pop_back();
    if (resolving && !name.empty() && name != "." && name != ".." && !exists(out + name)) {
      name = entry_named(folder, name);
      resolving = exists(out + name);
    }
    out += name;
    if (end < p.size())
      out += '/';
    start = end + 1;
  }
  return out;
}

bool is_reserved_name(const std::u16string& path) {
  for (char16_t c : path) {
    if (c < 0x20 || c == u'"' || c == u'*' || c == u'<' || c == u'>' || c == u'?' || c == u'|')
      return true;
  }
  return false;
}

}  // namespace platform
