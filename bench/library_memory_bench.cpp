// Memory of a library of 10,000 recordings: what the folder manager and the UI record list
// hold beyond the text of the paths and titles themselves. Every allocation of the program
// is counted (its size plus the allocator's own header). The library is loaded afresh in
// each of several rounds; what it holds and the text in it are reported by their medians
// and interquartile ranges. Ratio: KB per recording beyond the text (from the medians),
// goal <= 1.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <list>
#include <new>
#include <string>
#include <vector>

#include "bench/bench_library.h"
#include "bench/bench_util.h"
#include "library/qel_avi_file_mngr.h"
#include "library/qel_ui_file_info_list.h"

namespace {

constexpr int kFiles = 10000;
// A general-purpose allocator keeps about this much beside each block.
constexpr size_t kBlockHeader = 16;

std::atomic<int64_t> g_live{0};

void* counted_alloc(size_t n) {
  void* p = std::malloc(n + kBlockHeader);
  if (!p)
    throw std::bad_alloc();
  *static_cast<size_t*>(p) = n;
  g_live += static_cast<int64_t>(n + kBlockHeader);
  return static_cast<char*>(p) + kBlockHeader;
}

void counted_free(void* p) noexcept {
  if (!p)
    return;
  char* block = static_cast<char*>(p) - kBlockHeader;
  g_live -= static_cast<int64_t>(*reinterpret_cast<size_t*>(block) + kBlockHeader);
  std::free(block);
}

std::string stamp_name(int i) {
  // Recordings a minute apart, named as the program names them.
  int minutes = i;
  char name[64];
  std::snprintf(name, sizeof name, "%4d-%02d-%02d %02d-%02d-%02d.avi", 2010 + minutes / 525600,
                1 + minutes / 43200 % 12, 1 + minutes / 1440 % 28, minutes / 60 % 24, minutes % 60,
                i % 60);
  return name;
}

}  // namespace

void* operator new(size_t n) {
  return counted_alloc(n);
}
void* operator new[](size_t n) {
  return counted_alloc(n);
}
void operator delete(void* p) noexcept {
  counted_free(p);
}
void operator delete[](void* p) noexcept {
  counted_free(p);
}
void operator delete(void* p, size_t) noexcept {
  counted_free(p);
}
void operator delete[](void* p, size_t) noexcept {
  counted_free(p);
}

int main() {
  bench::ScratchLibrary library("memory");
  for (int i = 0; i < kFiles; ++i)
    std::ofstream(library.dir() / stamp_name(i));
  {
    // The first load writes every cache entry; what is measured is a start with the cache.
    qel_avi_file_mngr warm;
    warm.create(library.product());
    warm.Finalize();
  }

  // One load of the library with its UI record list: bytes held, of them path and title
  // text; -1 when it did not load.
  std::vector<double> held, text;
  auto load = [&] {
    auto* mngr = new qel_avi_file_mngr;
    auto* rows = new qel_ui_avi_file_info_list;
    int64_t before = g_live;
    if (!mngr->create(library.product()) || mngr->get_total_files() != kFiles) {
      std::fprintf(stderr, "library_memory: the library did not load %d files\n", kFiles);
      return -1.0;
    }
    int64_t round_text = 0;
    {
      std::list<shared_ptr<qel_ui_avi_file_info>> list;
      mngr->make_ui_file_info_list(list);
      for (shared_ptr<qel_ui_avi_file_info>& info : list) {
        std::u16string_view path = info->m_file_path, title = info->m_title;
        // The path is held twice, by the file record and the UI record.
        round_text += static_cast<int64_t>(2 * path.size() + title.size()) * 2;
        rows->on_new_file_info(info);
      }
    }
    int64_t round_held = g_live - before;
    mngr->Finalize();
    delete mngr;
    delete rows;
    // What the load left behind after everything was freed is not the library's.
    round_held -= g_live - before;
    held.push_back(static_cast<double>(round_held));
    text.push_back(static_cast<double>(round_text));
    return static_cast<double>(round_held);
  };
  // Counting needs no warm-up: the load above that wrote the cache entries was one.
  if (bench::interleave({load}, bench::rounds_from_env(9), 0).empty())
    return 1;

  bench::Spread h = bench::spread(held), t = bench::spread(text);
  std::printf("%d recordings, loaded in %zu rounds:\n", kFiles, h.count);
  bench::print_spread("  held", h, "KB", 1.0 / 1024);
  bench::print_spread("  of it path and title text", t, "KB", 1.0 / 1024);
  double per_recording = (h.median - t.median) / kFiles / 1024;
  bench::figure("held beyond the text, per recording", per_recording * 1024, "bytes");
  std::printf("goal: ratio at most 1 (KB per recording)\n");
  bench::ratio("library_memory", per_recording);
  return 0;
}
