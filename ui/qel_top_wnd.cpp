#include "ui/qel_top_wnd.h"

CMyTopWnd::~CMyTopWnd() {
  Finalize();
}

bool CMyTopWnd::create(int show_mode) {
  dojob_create_update_checker();
  return m_frame.create(show_mode, &m_ui_cmd_sink);
}

void CMyTopWnd::Finalize() {
  dojob_finalize_update_checker();
  m_frame.DestroyWindow();
}
