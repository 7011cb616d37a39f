// What a COM UI object needs from the application, handed to it at creation: the main
// window it drives, the folder manager that names new recordings, where the engine's
// reports of a recording go, and the news that an engine's process may have ended.
#pragma once

#include <cstdint>

#include "qel_lib/qel_ptr.h"
#include "qel_lib/qel_subject.h"

class CMyTopWnd;
class qel_avi_file_mngr;

// A process that may have held an engine ended; the argument is its process id.
struct qel_engine_end_tag;
using qel_engine_end_subject = SimpleSubject<qel_engine_end_tag*, void, uint32_t>;

class qel_irecord_host : public ZulIObject {
 public:
  virtual shared_ptr<CMyTopWnd> GetTopWnd() = 0;
  virtual shared_ptr<qel_avi_file_mngr> GetFileMngr() = 0;
  virtual void on_record_started() = 0;
  virtual void on_record_stopped(int _save_list_size,
                                 const wchar_t* const* _save_list,
                                 int _del_list_size,
                                 const wchar_t* const* _del_list,
                                 int64_t _start_time) = 0;
  // The engine died while recording into _path (the requested name plus ".avi").
  virtual void on_record_lost(const char16_t* _path, int64_t _start_time) = 0;
  virtual qel_engine_end_subject* GetEngineEndSink() = 0;
};
