#include "tools/messenger_sim/sim_engine_host.h"

#include "tools/engine_sim/engine_sim.h"

SimEngineHost::SimEngineHost(const std::vector<std::wstring>& args) {
  EngineSimOptions options;
  for (const std::wstring& arg : args)
    engine_sim_parse_option(arg, &options);
  engine_ = std::make_unique<EngineSim>(options);
}

SimEngineHost::~SimEngineHost() {
  Detach();
}

void SimEngineHost::Attach(HWND main_wnd) {
  if (attached_)
    engine_->Detach();
  attached_ = main_wnd;
  engine_->Attach(main_wnd);
  if (in_call_)
    engine_->StartCall();
}

void SimEngineHost::Detach() {
  if (!attached_)
    return;
  attached_ = nullptr;
  engine_->Detach();
}

// A call runs whether or not an engine listens; an engine attached later joins it.
void SimEngineHost::StartCall() {
  in_call_ = true;
  if (attached_)
    engine_->StartCall();
}

void SimEngineHost::EndCall() {
  in_call_ = false;
  if (attached_)
    engine_->EndCall();
}

void SimEngineHost::DiscardWithNextStop() {
  engine_->DiscardWithNextStop();
}
