// libavfilter, opened when the first interlaced picture needs it instead of linked: the
// library and the libraries it pulls in take about 20 MiB that a progressive disc never
// uses. The file opened is the one the build found, so that it matches the headers,
// which still give every type; the functions the deinterlacer calls are looked up once.
// Opening it takes 40-60 ms and more on a cold disk cache, so the player has it opened on
// a thread of its own (FilterLibraryLoad) and shows pictures as decoded until it is there.
#pragma once

#include <cstdint> // before FFmpeg's headers, which want its constant macros

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace codecs {

struct FilterLibrary {
  decltype(&avfilter_version) version = nullptr;
  decltype(&avfilter_get_by_name) get_by_name = nullptr;
  decltype(&avfilter_graph_alloc) graph_alloc = nullptr;
  decltype(&avfilter_graph_free) graph_free = nullptr;
  decltype(&avfilter_graph_create_filter) graph_create_filter = nullptr;
  decltype(&avfilter_link) link = nullptr;
  decltype(&avfilter_graph_config) graph_config = nullptr;
  decltype(&av_buffersrc_add_frame_flags) buffersrc_add_frame_flags = nullptr;
  decltype(&av_buffersink_get_frame) buffersink_get_frame = nullptr;
  decltype(&av_buffersink_get_time_base) buffersink_get_time_base = nullptr;

  // The build's library, opened at the first call (which waits for it); later calls give
  // the same table without trying again. Null when it cannot be used (said once in
  // qdvd.decode). Thread-safe.
  static const FilterLibrary *Shared();
  // Opens `file` and fills `lib`; it stays open. False, with the reason in `error`,
  // when the file cannot be opened, lacks one of the functions or has another major
  // version than the headers.
  static bool Load(const char *file, FilterLibrary *lib, std::string *error);
  // The file name Shared opens (the library's soname).
  static const char *File();
};

// One load of the library on a thread of its own, started by the first Poll; Poll never
// waits for it. The table is published once the load is over (release/acquire), so
// any thread may poll.
class FilterLibraryLoad {
public:
  enum class State { Loading, Ready, Missing };
  // Opens the library, waiting for it; null when it cannot be used.
  using Opener = std::function<const FilterLibrary *()>;

  explicit FilterLibraryLoad(Opener open) : FilterLibraryLoad(std::move(open), false) {}
  ~FilterLibraryLoad(); // waits for a load under way
  FilterLibraryLoad(const FilterLibraryLoad &) = delete;
  FilterLibraryLoad &operator=(const FilterLibraryLoad &) = delete;

  // Starts the load at the first call. `*lib` is set when Ready.
  State Poll(const FilterLibrary **lib);
  bool Started() const { return started_.load(std::memory_order_acquire); }

  // The process's one load, of FilterLibrary::Shared; it lives until the process ends.
  static FilterLibraryLoad &Shared();

private:
  // `forever`: never destroyed, so its thread is left to run on its own.
  FilterLibraryLoad(Opener open, bool forever) : open_(std::move(open)), forever_(forever) {}
  void Run();

  const Opener open_;
  const bool forever_;
  std::atomic<bool> started_{false};
  std::atomic<State> state_{State::Loading};
  const FilterLibrary *lib_ = nullptr; // written before state_ leaves Loading
  std::thread thread_;
};

} // namespace codecs
