// The sound server's latency for this process's playback stream, asked of the server
// through its own client library: the stream's buffer plus the sink's latency, in
// 100-ns units. SDL opens the stream but cannot tell what the server holds; this
// connects alongside it and asks a few times a second. The stream is found by this
// process's id (with several, the newest). Nothing is reported while the server is
// away or the stream is not found.
#pragma once

#include "com/media_time.h"
#include "com/types.h"

#include <atomic>
#include <memory>

namespace render {

class ServerLatency {
public:
  ServerLatency();
  ~ServerLatency();
  ServerLatency(const ServerLatency &) = delete;
  ServerLatency &operator=(const ServerLatency &) = delete;

  // Connects without starting a server; false when none answers.
  bool Connect();
  // The latest measurement and a count that changes with each one; none before the
  // first and after the connection is lost.
  media::MaybeStreamTime Latest(long long *serial = nullptr) const;
  bool Connected() const;

  struct Impl;

private:
  std::unique_ptr<Impl> impl_;
};

} // namespace render
