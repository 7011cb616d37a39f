#include "tools/engine_sim/engine_sim.h"

#include "tools/engine_sim/engine_sim_core.h"

EngineSim::EngineSim(const EngineSimOptions& options)
    : core_(std::make_unique<EngineSimCore>(options)) {}

EngineSim::~EngineSim() = default;

bool EngineSim::Attach(HWND main_wnd) {
  return core_->Attach(main_wnd);
}

void EngineSim::StartCall() {
  core_->StartCall();
}

void EngineSim::EndCall() {
  core_->EndCall();
}

void EngineSim::ShowTrayIcon(bool show) {
  core_->ShowTrayIcon(show);
}

void EngineSim::DiscardWithNextStop() {
  core_->DiscardWithNextStop();
}

void EngineSim::Detach() {
  core_->Detach();
}

bool EngineSim::connected() const {
  return core_->connected();
}
