#include "video/vmr_options.h"

#include "dshow/vmr9.h"
#include "engine/check_result.h"
#include "engine/filter_graph.h"
#include "video/video_window.h"

TVMROptions::TVMROptions(TVideoWindow *owner) : owner_(owner) {}

void TVMROptions::SetMode(TVMRVideoMode mode) {
  mode_ = mode;
  ReinsertIfPlayingThroughMixer();
}

void TVMROptions::SetStreams(DWORD streams) {
  streams_ = streams >= 1 && streams <= MAX_MIXER_STREAMS ? streams : 1;
  ReinsertIfPlayingThroughMixer();
}

void TVMROptions::SetPreferences(TVMRPreferences preferences) {
  preferences_ = preferences;
  ReinsertIfPlayingThroughMixer();
}

void TVMROptions::SetKeepAspectRatio(bool keep) {
  keepAspectRatio_ = keep;
  if (mode_ != vmrWindowed && mode_ != vmrWindowless) return;
  // Through the window's lookup, which passes the request on to its renderer: the
  // classic renderer has no aspect-ratio control, and then nothing happens.
  ComPtr<IVMRAspectRatioControl9> aspect;
  if (!owner_ || FAILED(owner_->QueryInterface(IID_PPV_ARGS(&aspect))) || !aspect) return;
  CheckResult(aspect->SetAspectRatioMode(keep ? VMR_ARMODE_LETTER_BOX : VMR_ARMODE_NONE));
}

void TVMROptions::ReinsertIfPlayingThroughMixer() {
  if (!owner_ || owner_->Mode() != vmVMR) return;
  TFilterGraph *graph = owner_->FilterGraph();
  if (graph && graph->Active()) owner_->ReinsertIntoGraph();
}
