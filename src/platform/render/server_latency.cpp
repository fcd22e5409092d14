#include "render/server_latency.h"

#include <pulse/pulseaudio.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace render {
namespace {

constexpr pa_usec_t kPeriod = 200 * 1000;

} // namespace

struct ServerLatency::Impl {
  pa_threaded_mainloop *loop = nullptr;
  pa_context *context = nullptr;
  pa_time_event *timer = nullptr;
  std::string pid = std::to_string(getpid());
  std::atomic<REFERENCE_TIME> latest{-1};
  std::atomic<long long> serial{0};
  std::atomic<bool> ready{false};
  // Per query: the newest matching stream.
  uint32_t bestIndex = PA_INVALID_INDEX;
  pa_usec_t bestLatency = 0;

  static void OnState(pa_context *c, void *self) {
    auto *impl = static_cast<Impl *>(self);
    const pa_context_state_t state = pa_context_get_state(c);
    impl->ready = state == PA_CONTEXT_READY;
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) impl->latest = -1;
    pa_threaded_mainloop_signal(impl->loop, 0);
  }

  static void OnTimer(pa_mainloop_api *, pa_time_event *e, const struct timeval *, void *self) {
    auto *impl = static_cast<Impl *>(self);
    if (pa_context_get_state(impl->context) == PA_CONTEXT_READY) {
      impl->bestIndex = PA_INVALID_INDEX;
      if (pa_operation *op = pa_context_get_sink_input_info_list(impl->context, &Impl::OnInput, impl))
        pa_operation_unref(op);
    }
    pa_context_rttime_restart(impl->context, e, pa_rtclock_now() + kPeriod);
  }

  static void OnInput(pa_context *, const pa_sink_input_info *info, int eol, void *self) {
    auto *impl = static_cast<Impl *>(self);
    if (eol) {
      if (impl->bestIndex != PA_INVALID_INDEX) {
        impl->latest = static_cast<REFERENCE_TIME>(impl->bestLatency) * 10;
        ++impl->serial;
      }
      return;
    }
    if (!info || info->corked) return;
    const char *pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (!pid || impl->pid != pid) return;
    if (impl->bestIndex == PA_INVALID_INDEX || info->index > impl->bestIndex) {
      impl->bestIndex = info->index;
      impl->bestLatency = info->buffer_usec + info->sink_usec;
    }
  }
};

ServerLatency::ServerLatency() : impl_(std::make_unique<Impl>()) {}

ServerLatency::~ServerLatency() {
  if (!impl_->loop) return;
  pa_threaded_mainloop_stop(impl_->loop);
  if (impl_->context) {
    if (impl_->timer) pa_threaded_mainloop_get_api(impl_->loop)->time_free(impl_->timer);
    pa_context_disconnect(impl_->context);
    pa_context_unref(impl_->context);
  }
  pa_threaded_mainloop_free(impl_->loop);
}

bool ServerLatency::Connect() {
  if (impl_->loop) return Connected();
  impl_->loop = pa_threaded_mainloop_new();
  if (!impl_->loop) return false;
  pa_mainloop_api *api = pa_threaded_mainloop_get_api(impl_->loop);
  pa_proplist *props = pa_proplist_new();
  pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Latency");
  impl_->context = pa_context_new_with_proplist(api, nullptr, props);
  pa_proplist_free(props);
  if (!impl_->context) return false;
  pa_context_set_state_callback(impl_->context, &Impl::OnState, impl_.get());
  if (pa_context_connect(impl_->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
  pa_threaded_mainloop_lock(impl_->loop);
  if (pa_threaded_mainloop_start(impl_->loop) < 0) {
    pa_threaded_mainloop_unlock(impl_->loop);
    return false;
  }
  for (;;) {
    const pa_context_state_t state = pa_context_get_state(impl_->context);
    if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) break;
    pa_threaded_mainloop_wait(impl_->loop);
  }
  const bool ok = pa_context_get_state(impl_->context) == PA_CONTEXT_READY;
  if (ok) impl_->timer = pa_context_rttime_new(impl_->context, pa_rtclock_now(), &Impl::OnTimer, impl_.get());
  pa_threaded_mainloop_unlock(impl_->loop);
  return ok;
}

bool ServerLatency::Connected() const { return impl_->ready; }

media::MaybeStreamTime ServerLatency::Latest(long long *serial) const {
  if (serial) *serial = impl_->serial;
  if (!impl_->ready) return std::nullopt;
  const REFERENCE_TIME latest = impl_->latest.load();
  return latest < 0 ? std::nullopt : media::MaybeStreamTime(media::StreamTime(latest));
}

} // namespace render
