// The graph's diagnostic log (internal to graph/): plain-text lines written to a
// file descriptor given through IGraphBuilder::SetLogFile. The log keeps its own
// duplicate of the descriptor; failed writes are ignored.
#pragma once

#include "dshow/strmif.h"

#include <chrono>
#include <mutex>
#include <string>

// Answered by this platform's graph manager: lets its builders write to its log.
QDVD_DECLARE_IID(IGraphLogSink, 0x6B1C2E50, 0x3A55, 0x4C1E, 0x9E, 0x21, 0x70, 0x11, 0xA5, 0x3C, 0x12, 0x02)
struct IGraphLogSink : IUnknown {
  virtual void WriteLogLine(const std::string &line) = 0;
};

namespace graph {

std::string ToUtf8(const std::u16string &text);
std::string HResultText(HRESULT hr); // "0x80040217"

class GraphLog {
public:
  GraphLog();
  ~GraphLog();
  GraphLog(const GraphLog &) = delete;
  GraphLog &operator=(const GraphLog &) = delete;

  // 0 switches the log off. E_INVALIDARG when the descriptor cannot be used.
  HRESULT SetFile(DWORD_PTR fd);
  bool Enabled() const;
  // Writes one line, prefixed with the milliseconds since the graph was made.
  void Line(const std::string &text);

private:
  mutable std::mutex lock_;
  int fd_ = -1;
  std::chrono::steady_clock::time_point origin_;
};

} // namespace graph
