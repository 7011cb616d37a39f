// What the soak does in each cycle, and how the figures of its two samples are judged.
// Platform-neutral: the driver reads the figures, this decides what they mean.
#pragma once

#include <string>
#include <vector>

struct SoakCycle {
  bool discard = false;            // the engine also hands back a file to discard
  bool kill_engine = false;        // the engine's process dies mid-recording
  bool restart_messenger = false;  // the messenger instance ends and a new one starts
  bool change_folder = false;      // the recording folder is changed and changed back
  bool delete_row = false;         // a recording is deleted from the history list
};

// Cycle `n` counts from 1.
SoakCycle soak_cycle(int n);
// The same, with each kind of event also once inside a warm-up of `warmup` cycles, so that
// what a kind pays only on its first use (the folder dialog's shell caches, the threads the
// first messenger restart leaves pooled) is paid before the sample the end is compared with.
SoakCycle soak_cycle(int n, int warmup);

// How a figure may move between the sample after the warm-up and the one at the end.
enum class SoakBudget {
  kInfo,      // printed only
  kNoGrowth,  // the end may not be above the warm-up
  kZero,      // must be 0 in both samples
};

struct SoakFigure {
  std::string name;
  SoakBudget budget = SoakBudget::kInfo;
  double value = 0;
  // Non-empty when the platform reports nothing: why.
  std::string unavailable;
};

using SoakSample = std::vector<SoakFigure>;

struct SoakJudgement {
  std::vector<std::string> lines;
  std::vector<std::string> failures;
  // Private bytes at the end over those after the warm-up; 0 when either is unknown.
  double ratio = 0;
};

inline constexpr char kSoakPrivateBytes[] = "private bytes";

// Pairs the figures by name; a figure missing from one sample is reported, not guessed.
SoakJudgement soak_judge(const SoakSample& warm, const SoakSample& end);
