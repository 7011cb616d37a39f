#include "library/qel_ui_file_info_list.h"

#include <algorithm>
#include <new>

#include "qel_lib/qel_assert.h"

qel_ui_avi_file_info_list::~qel_ui_avi_file_info_list() {
  check_invariant();
  m_vector.clear();
  m_hash.clear();
}

bool qel_ui_avi_file_info_list::check_invariant() const {
  return QEL_ASSERT(m_hash.size() == m_vector.size());
}

namespace {

bool newer_first(const shared_ptr<qel_ui_avi_file_info>& a,
                 const shared_ptr<qel_ui_avi_file_info>& b) {
  return a->m_start_time > b->m_start_time;
}

}  // namespace

// The start times are sorted beside their places and the records put in that order once:
// sorting the records themselves would reach through a pointer for every comparison and
// count references up and down for every move. The same comparisons in the same order
// leave records of equal start time where sorting them would.
void qel_ui_avi_file_info_list::dojob_sort() {
  struct Key {
    int64_t start_time;
    size_t at;
  };
  std::vector<Key> keys;
  keys.reserve(m_vector.size());
  for (size_t i = 0; i < m_vector.size(); ++i)
    keys.push_back({m_vector[i]->m_start_time, i});
  std::sort(keys.begin(), keys.end(),
            [](const Key& a, const Key& b) { return a.start_time > b.start_time; });
  std::vector<shared_ptr<qel_ui_avi_file_info>> sorted;
  sorted.reserve(keys.size());
  for (const Key& key : keys)
    sorted.push_back(m_vector[key.at]);
  m_vector.swap(sorted);
  m_in_display_order = true;
}

// A library of thousands of files arrives one record at a time: a record put straight into
// its place keeps that linear, where sorting the whole vector each time would not.
void qel_ui_avi_file_info_list::dojob_insert_in_order(
    const shared_ptr<qel_ui_avi_file_info>& _file_info) {
  if (!m_in_display_order) {
    m_vector.push_back(_file_info);
    dojob_sort();
    return;
  }
  m_vector.insert(std::upper_bound(m_vector.begin(), m_vector.end(), _file_info, newer_first),
                  _file_info);
}

void qel_ui_avi_file_info_list::on_new_file_info(
    const shared_ptr<qel_ui_avi_file_info>& _file_info) {
  check_invariant();
  if (!QEL_ASSERT(_file_info && _file_info->m_id))
    return;
  // Asked of the map itself: an empty pointer would cost an allocation per record.
  bool file_info = m_hash.count(_file_info->m_id) != 0;
  if (!QEL_ASSERT(!file_info))
    return;
  m_hash.emplace(_file_info->m_id, _file_info);
  if (m_adding_many)
    m_vector.push_back(_file_info);
  else
    dojob_insert_in_order(_file_info);
}

void qel_ui_avi_file_info_list::dojob_begin_adding(size_t _count) {
  m_adding_many = true;
  m_vector.reserve(m_vector.size() + _count);
  m_hash.reserve(m_hash.size() + _count);
}

void qel_ui_avi_file_info_list::dojob_end_adding() {
  m_adding_many = false;
  dojob_sort();
}

void qel_ui_avi_file_info_list::on_del_file_info(uint32_t _id) {
  check_invariant();
  if (!QEL_ASSERT(_id))
    return;
  auto hash_it = m_hash.find(_id);
  if (!QEL_ASSERT(hash_it != m_hash.end()))
    return;
  shared_ptr<qel_ui_avi_file_info> file_info = hash_it->second;
  QEL_ASSERT(file_info->m_id == _id);
  m_hash.erase(hash_it);
  QEL_ASSERT(m_hash.find(_id) == m_hash.end());
  auto vector_it = std::find_if(m_vector.begin(), m_vector.end(),
                                [_id](const auto& f) { return f->m_id == _id; });
  if (QEL_ASSERT(vector_it != m_vector.end())) {
    QEL_ASSERT(_id == (*vector_it)->m_id);
    m_vector.erase(vector_it);
  }
  check_invariant();
  // Taking one record out of an ordered vector leaves it ordered.
  if (!m_in_display_order)
    dojob_sort();
}

void qel_ui_avi_file_info_list::on_update_file_info(shared_ptr<qel_ui_avi_file_info> _file_info) {
  if (!QEL_ASSERT(_file_info && _file_info->m_id))
    return;
  check_invariant();
  uint32_t id = _file_info->m_id;
  auto hash_it = m_hash.find(id);
  if (!QEL_ASSERT(hash_it != m_hash.end()))
    return;
  QEL_ASSERT(id == (*hash_it).first);
  QEL_ASSERT(id == (*hash_it).second->m_id);
  hash_it->second = _file_info;
  auto vector_it =
      std::find_if(m_vector.begin(), m_vector.end(), [id](const auto& f) { return f->m_id == id; });
  if (!QEL_ASSERT(vector_it != m_vector.end()))
    return;
  QEL_ASSERT(id == (*vector_it)->m_id);
  *vector_it = _file_info;
  // The vector stays as it is until the next change sorts it again.
  m_in_display_order = false;
}

void qel_ui_avi_file_info_list::clear_all() {
  check_invariant();
  m_vector.clear();
  m_in_display_order = true;
  m_hash.clear();
}

int qel_ui_avi_file_info_list::get_count() const {
  return static_cast<int>(m_hash.size());
}

shared_ptr<qel_ui_avi_file_info> qel_ui_avi_file_info_list::get_at(int _index) const {
  if (_index < 0 || _index >= get_count() || static_cast<size_t>(_index) >= m_vector.size())
    return shared_ptr<qel_ui_avi_file_info>();
  return m_vector[_index];
}

shared_ptr<qel_ui_avi_file_info> qel_ui_avi_file_info_list::find_by_id(uint32_t _id) const {
  auto it = m_hash.find(_id);
  return it == m_hash.end() ? shared_ptr<qel_ui_avi_file_info>() : it->second;
}

qel_ui_data::qel_ui_data(int _value) : m_value(_value) {}

qel_ui_data::~qel_ui_data() {
  m_file_infos.clear();
  m_value = 0;
  m_flag_a = m_flag_b = false;
  std::fill(std::begin(m_words), std::end(m_words), 0u);
}

qel_ui_data* qel_ui_data::alloc_new(int _value) {
  return new (std::nothrow) qel_ui_data(_value);
}

void qel_ui_data::add_avi_file_info(shared_ptr<qel_ui_avi_file_info> _file_info) {
  m_file_infos.push_back(_file_info);
}

void qel_ui_data::clear_all_avi_file_info() {
  m_file_infos.clear();
}
