// Run, pause, stop, clear; volume, balance and rate.
#include "engine/check_result.h"
#include "engine/filter_graph.h"
#include "engine/filter_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// round(ln(value + 1) * 1085.73), ln in extended precision, halves to even.
LONG LogScale(LONG value) {
  const long double scaled = std::log(static_cast<long double>(value) + 1.0L) * 1085.73L;
  return static_cast<LONG>(std::nearbyint(scaled));
}

} // namespace

HRESULT TFilterGraph::Transport(LONG code, HRESULT (IMediaControl::*command)(), bool *reached) {
  *reached = false;
  ComPtr<IMediaControl> control;
  if (FAILED(QueryInterface(&control)) || !control) return E_NOINTERFACE;
  *reached = true;
  ControlNotify(code, 0);
  return CheckResult(((*control).*command)());
}

bool TFilterGraph::Play() {
  bool reached;
  HRESULT hr = Transport(ccPlay, &IMediaControl::Run, &reached);
  // S_FALSE: the graph is still on its way to running.
  return reached && SUCCEEDED(hr);
}

bool TFilterGraph::Pause() {
  bool reached;
  HRESULT hr = Transport(ccPause, &IMediaControl::Pause, &reached);
  return reached && hr == S_OK;
}

bool TFilterGraph::Stop() {
  bool reached;
  HRESULT hr = Transport(ccStop, &IMediaControl::Stop, &reached);
  return reached && hr == S_OK;
}

void TFilterGraph::ClearGraph() {
  if (!graph_) return;
  Stop();
  DisconnectAll();
  TFilterList filters(graph_.Get());
  for (IGraphMember *member : members_) filters.Remove(member->MemberFilter().Get());
  for (int i = 0; i < filters.Count(); ++i) CheckResult(graph_->RemoveFilter(filters[i]));
}

void TFilterGraph::DisconnectAll() {
  TFilterList filters(graph_.Get());
  for (int f = 0; f < filters.Count(); ++f) {
    TPinList pins(filters[f]);
    for (int p = 0; p < pins.Count(); ++p) CheckResult(pins[p]->Disconnect());
  }
}

void TFilterGraph::SetVolume(LONG volume) {
  volume_ = std::clamp<LONG>(volume, 0, 10000);
  ComPtr<IBasicAudio> audio;
  if (FAILED(QueryInterface(&audio)) || !audio) return;
  audio->put_Volume(linearVolume_ ? LogScale(volume_) - 10000 : volume_ - 10000);
}

void TFilterGraph::SetBalance(LONG balance) {
  balance_ = std::clamp<LONG>(balance, -10000, 10000);
  ComPtr<IBasicAudio> audio;
  if (FAILED(QueryInterface(&audio)) || !audio) return;
  LONG value = balance_;
  if (linearVolume_) {
    const LONG magnitude = LogScale(std::abs(balance_));
    value = balance_ >= 0 ? -magnitude : magnitude;
  }
  audio->put_Balance(value);
}

void TFilterGraph::SetLinearVolume(bool linear) {
  if (linear == linearVolume_) return;
  linearVolume_ = linear;
  SetVolume(volume_);
  SetBalance(balance_);
}

void TFilterGraph::SetRate(double rate) {
  rate_ = rate;
  ComPtr<IMediaSeeking> seeking;
  if (SUCCEEDED(QueryInterface(&seeking)) && seeking) seeking->SetRate(rate);
}

void TFilterGraph::ApplyAudioAndRate() {
  SetVolume(volume_);
  SetBalance(balance_);
  SetRate(rate_);
}
