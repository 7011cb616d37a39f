// What the user interface shows of each recording: small value records, the main window's
// list of them (display order plus lookup by id) and the exported holder qel_ui_data.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "qel_lib/qel_iobject.h"
#include "qel_lib/qel_ptr.h"

// Other modules use qel_ui_data from the program itself, so the .exe exports it.
#if defined(_WIN32)
#define QEL_UI_EXPORT __declspec(dllexport)
#else
#define QEL_UI_EXPORT
#endif

inline constexpr uint32_t const_qel_ui_path_len = 2048;

class qel_ui_avi_file_info : public ZulIObject {
 public:
  qel_ui_avi_file_info() = default;

  uint32_t m_id = 0;
  // Both at their length (at most const_qel_ui_path_len - 1 characters, as the file record's
  // path they come from).
  std::u16string m_file_path;
  std::u16string m_title;
  int64_t m_start_time = 0;
  int32_t m_time_len = 0;
  bool m_has_video = false;
  bool m_has_audio = false;
  // The recording was cut short (its engine died) and can be repaired.
  bool m_is_cut = false;
};

class qel_ui_avi_file_info_list : public ZulIObject {
 public:
  qel_ui_avi_file_info_list() = default;
  ~qel_ui_avi_file_info_list() override;

  void on_new_file_info(const shared_ptr<qel_ui_avi_file_info>& _file_info);
  // The same for each record of a list or a vector, sorting once: a whole library at start-up.
  template <class Records>
  void on_new_file_infos(const Records& _records) {
    dojob_begin_adding(_records.size());
    for (const shared_ptr<qel_ui_avi_file_info>& file_info : _records)
      on_new_file_info(file_info);
    dojob_end_adding();
  }
  void on_del_file_info(uint32_t _id);
  void on_update_file_info(shared_ptr<qel_ui_avi_file_info> _file_info);
  void clear_all();
  int get_count() const;
  shared_ptr<qel_ui_avi_file_info> get_at(int _index) const;
  shared_ptr<qel_ui_avi_file_info> find_by_id(uint32_t _id) const;

 private:
  bool check_invariant() const;
  // Newest first.
  void dojob_sort();
  void dojob_insert_in_order(const shared_ptr<qel_ui_avi_file_info>& _file_info);
  void dojob_begin_adding(size_t _count);
  void dojob_end_adding();

  std::vector<shared_ptr<qel_ui_avi_file_info>> m_vector;
  std::unordered_map<uint32_t, shared_ptr<qel_ui_avi_file_info>> m_hash;
  // False after an update changed a record in place; the next change sorts again.
  bool m_in_display_order = true;
  // While on_new_file_infos runs: records are appended and sorted once at the end.
  bool m_adding_many = false;
};

class QEL_UI_EXPORT qel_ui_data : public ZulIObject {
 public:
  explicit qel_ui_data(int _value);
  ~qel_ui_data() override;

  // Null when memory runs out.
  static qel_ui_data* alloc_new(int _value);
  void add_avi_file_info(shared_ptr<qel_ui_avi_file_info> _file_info);
  void clear_all_avi_file_info();

  int32_t get_value() const { return m_value; }
  size_t get_avi_file_info_count() const { return m_file_infos.size(); }

 private:
  int32_t m_value;
  bool m_flag_a = false;
  bool m_flag_b = false;
  uint32_t m_words[5] = {};
  std::list<shared_ptr<qel_ui_avi_file_info>> m_file_infos;
};
