// What another process shows of a running program: its memory, handles, GUI objects and
// windows, read from outside through the system's process queries.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win32/win.h"
#include "tools/soak/soak_plan.h"

SoakSample probe_process(DWORD pid);

// The texts of the assertion reports ("Error" boxes) the process shows.
std::vector<std::string> assertion_reports(DWORD pid);

// The process's windows by class and, for top-level ones, title: "class 'title'" -> count.
std::map<std::string, int> window_census(DWORD pid);

// The process's open handles by type name ("Event", "Thread", ...): empty where the system
// does not list them.
std::map<std::string, int> handle_census(DWORD pid);

// The process's own GDI objects by type ("bitmap", "brush", ...), where its GDI handle table
// can be read; empty elsewhere.
std::map<std::string, int> gdi_census(DWORD pid);
