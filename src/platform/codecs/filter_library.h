// libavfilter, opened when the first interlaced picture needs it instead of linked: the
// library and the libraries it pulls in take about 20 MiB that a progressive disc never
// uses. The file opened is the one the build found, so that it matches the headers,
// which still give every type; the functions the deinterlacer calls are looked up once.
#pragma once

#include <cstdint> // before FFmpeg's headers, which want its constant macros

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#include <string>

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

  // The build's library, opened at the first call; later calls give the same table
  // without trying again. Null when it cannot be used (said once in qdvd.decode).
  // Thread-safe.
  static const FilterLibrary *Shared();
  // Opens `file` and fills `lib`; it stays open. False, with the reason in `error`,
  // when the file cannot be opened, lacks one of the functions or has another major
  // version than the headers.
  static bool Load(const char *file, FilterLibrary *lib, std::string *error);
  // The file name Shared opens (the library's soname).
  static const char *File();
};

} // namespace codecs
