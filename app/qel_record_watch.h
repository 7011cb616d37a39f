// The recording the engines were last asked to make, from the request until an engine
// reports its end. The engines live in other processes: once every engine that took the
// request is gone, the recording was cut short and what was written must still be filed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class qel_record_watch {
 public:
  // _path as requested (the engine adds ".avi"); _takers are the engines (their connection
  // cookies) that took the request. A request nobody took leaves the watch as it was.
  void watch(const std::u16string& _path, int64_t _start_time, std::vector<uint32_t> _takers);
  void unwatch();
  bool watching() const { return !m_takers.empty(); }
  // True when a recording is watched and none of its takers is still connected: the watch
  // ends and *_file and *_start_time tell what the engines were writing.
  bool take_lost(const std::function<bool(uint32_t)>& _connected,
                 std::u16string* _file,
                 int64_t* _start_time);

 private:
  std::u16string m_path;
  int64_t m_start_time = 0;
  std::vector<uint32_t> m_takers;
};
