#include "ui/qel_top_wnd.h"

CMyTopWnd::~CMyTopWnd() {
  Finalize();
}

bool CMyTopWnd::create(int show_mode) {
  return m_frame.create(show_mode, &m_ui_cmd_sink);
}

void CMyTopWnd::Finalize() {
  m_frame.DestroyWindow();
}
