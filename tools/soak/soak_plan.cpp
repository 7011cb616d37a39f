#include "tools/soak/soak_plan.h"

#include <cstdio>

SoakCycle soak_cycle(int n) {
  SoakCycle c;
  if (n <= 0)
    return c;
  c.discard = n % 10 == 0;
  c.kill_engine = n % 50 == 0;
  c.restart_messenger = n % 100 == 0;
  c.change_folder = n % 200 == 0;
  c.delete_row = n % 250 == 0;
  return c;
}

SoakCycle soak_cycle(int n, int warmup) {
  SoakCycle c = soak_cycle(n);
  // Five slots, the kinds in the order the regular schedule first brings them.
  if (warmup < 5 || n <= 0 || n >= warmup || n % (warmup / 5) != 0)
    return c;
  switch (n / (warmup / 5)) {
    case 1:
      c.kill_engine = true;
      break;
    case 2:
      c.restart_messenger = true;
      break;
    case 3:
      c.change_folder = true;
      break;
    case 4:
      c.delete_row = true;
      c.discard = true;
      break;
  }
  return c;
}

namespace {

const SoakFigure* find(const SoakSample& sample, const std::string& name) {
  for (const SoakFigure& f : sample)
    if (f.name == name)
      return &f;
  return nullptr;
}

std::string number(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, v == static_cast<long long>(v) ? "%.0f" : "%.2f", v);
  return buf;
}

std::string goal(SoakBudget budget) {
  switch (budget) {
    case SoakBudget::kNoGrowth:
      return " (goal: no growth)";
    case SoakBudget::kZero:
      return " (goal: 0)";
    case SoakBudget::kInfo:
      break;
  }
  return "";
}

}  // namespace

SoakJudgement soak_judge(const SoakSample& warm, const SoakSample& end) {
  SoakJudgement j;
  for (const SoakFigure& w : warm) {
    const SoakFigure* e = find(end, w.name);
    if (!e) {
      j.lines.push_back(w.name + ": missing at the end");
      j.failures.push_back(w.name + " was not read at the end");
      continue;
    }
    if (!w.unavailable.empty() || !e->unavailable.empty()) {
      j.lines.push_back(w.name + ": n/a (" +
                        (w.unavailable.empty() ? e->unavailable : w.unavailable) + ")");
      continue;
    }
    double growth = e->value - w.value;
    std::string line = w.name + ": " + number(w.value) + " -> " + number(e->value) + " (" +
                       (growth >= 0 ? "+" : "") + number(growth);
    if (w.value > 0) {
      char pct[32];
      std::snprintf(pct, sizeof pct, ", %+.1f %%", 100.0 * growth / w.value);
      line += pct;
    }
    line += ")" + goal(w.budget);
    j.lines.push_back(line);
    if (w.budget == SoakBudget::kNoGrowth && growth > 0)
      j.failures.push_back(w.name + " grew by " + number(growth));
    if (w.budget == SoakBudget::kZero && (w.value != 0 || e->value != 0))
      j.failures.push_back(w.name + " is " + number(e->value) + " at the end, " + number(w.value) +
                           " after the warm-up");
    if (w.name == kSoakPrivateBytes && w.value > 0)
      j.ratio = e->value / w.value;
  }
  for (const SoakFigure& e : end)
    if (!find(warm, e.name))
      j.lines.push_back(e.name + ": " + number(e.value) +
                        " at the end, not read after the warm-up");
  return j;
}
