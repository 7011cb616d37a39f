// Any command line, of any length or content, parses without reading outside it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/qel_skype_plugin.h"
#include "qel_lib/qel_assert.h"

namespace {
void ignore_report(const char*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (qel_set_assert_sink(ignore_report), true);
  (void)quiet;
  std::u16string text(size / 2, u'\0');
  std::memcpy(text.data(), data, text.size() * 2);
  int start = 0, plugin = 0;
  proc_args(text.c_str(), &start, &plugin);
  // The exact-size copy puts the option right at the end of the buffer.
  std::u16string exact(text);
  std::u16string_view view(exact.data(), exact.size());
  get_arg_value(view, u"start_context");
  get_skype_plugin_open_context_type(view);
  return 0;
}
