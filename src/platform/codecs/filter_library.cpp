#include "codecs/filter_library.h"

#include "com/log.h"

#include <dlfcn.h>

#include <system_error>

#ifndef QDVD_AVFILTER_FILE
#error "QDVD_AVFILTER_FILE (the soname of the libavfilter the build found) is set by CMake"
#endif

namespace codecs {
namespace {

template <class F> bool Find(void *handle, const char *name, F *fn, std::string *error) {
  *fn = reinterpret_cast<F>(dlsym(handle, name));
  if (!*fn) *error = std::string("no ") + name;
  return *fn != nullptr;
}

} // namespace

const char *FilterLibrary::File() { return QDVD_AVFILTER_FILE; }

bool FilterLibrary::Load(const char *file, FilterLibrary *lib, std::string *error) {
  void *handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char *why = dlerror();
    *error = why ? why : "cannot be opened";
    return false;
  }
  FilterLibrary l;
  bool ok = Find(handle, "avfilter_version", &l.version, error) &&
            Find(handle, "avfilter_get_by_name", &l.get_by_name, error) &&
            Find(handle, "avfilter_graph_alloc", &l.graph_alloc, error) &&
            Find(handle, "avfilter_graph_free", &l.graph_free, error) &&
            Find(handle, "avfilter_graph_create_filter", &l.graph_create_filter, error) &&
            Find(handle, "avfilter_link", &l.link, error) &&
            Find(handle, "avfilter_graph_config", &l.graph_config, error) &&
            Find(handle, "av_buffersrc_add_frame_flags", &l.buffersrc_add_frame_flags, error) &&
            Find(handle, "av_buffersink_get_frame", &l.buffersink_get_frame, error) &&
            Find(handle, "av_buffersink_get_time_base", &l.buffersink_get_time_base, error);
  // The structures the headers describe change only with the major version.
  if (ok && AV_VERSION_MAJOR(l.version()) != LIBAVFILTER_VERSION_MAJOR) {
    *error = "major version " + std::to_string(AV_VERSION_MAJOR(l.version())) + ", the build's is " +
             std::to_string(LIBAVFILTER_VERSION_MAJOR);
    ok = false;
  }
  for (const char *filter : {"buffer", "yadif", "buffersink"})
    if (ok && !l.get_by_name(filter)) {
      *error = std::string("no ") + filter + " filter";
      ok = false;
    }
  if (!ok) {
    dlclose(handle);
    return false;
  }
  *lib = l;
  return true;
}

const FilterLibrary *FilterLibrary::Shared() {
  static const FilterLibrary *const shared = [] {
    static FilterLibrary lib;
    std::string error;
    if (Load(File(), &lib, &error)) return &lib;
    qCWarning(lcDecode, "%s cannot be used (%s): interlaced pictures are shown as decoded", File(), error.c_str());
    return static_cast<FilterLibrary *>(nullptr);
  }();
  return shared;
}

FilterLibraryLoad::~FilterLibraryLoad() {
  if (thread_.joinable()) thread_.join();
}

FilterLibraryLoad::State FilterLibraryLoad::Poll(const FilterLibrary **lib) {
  if (!started_.exchange(true, std::memory_order_acq_rel)) {
    try {
      thread_ = std::thread([this] { Run(); });
      if (forever_) thread_.detach();
    } catch (const std::system_error &e) {
      qCWarning(lcDecode, "the filter library cannot be loaded (%s): interlaced pictures are shown as decoded", e.what());
      state_.store(State::Missing, std::memory_order_release);
    }
  }
  const State state = state_.load(std::memory_order_acquire);
  if (state == State::Ready) *lib = lib_;
  return state;
}

void FilterLibraryLoad::Run() {
  lib_ = open_();
  state_.store(lib_ ? State::Ready : State::Missing, std::memory_order_release);
}

FilterLibraryLoad &FilterLibraryLoad::Shared() {
  // Never destroyed: a load still under way when the process ends keeps its object.
  static FilterLibraryLoad *const shared = new FilterLibraryLoad(&FilterLibrary::Shared, true);
  return *shared;
}

} // namespace codecs
