#include "graph/graph_log.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace graph {

std::string ToUtf8(const std::u16string &text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    else if (c >= 0xD800 && c < 0xE000)
      c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string HResultText(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}

GraphLog::GraphLog() : origin_(std::chrono::steady_clock::now()) {}

GraphLog::~GraphLog() {
  if (fd_ >= 0) close(fd_);
}

HRESULT GraphLog::SetFile(DWORD_PTR fd) {
  int copy = -1;
  if (fd != 0) {
    if (fd > 0x7FFFFFFF) return E_INVALIDARG;
    copy = fcntl(static_cast<int>(fd), F_DUPFD_CLOEXEC, 3);
    if (copy < 0) return E_INVALIDARG;
  }
  std::lock_guard guard(lock_);
  if (fd_ >= 0) close(fd_);
  fd_ = copy;
  return S_OK;
}

bool GraphLog::Enabled() const {
  std::lock_guard guard(lock_);
  return fd_ >= 0;
}

void GraphLog::Line(const std::string &text) {
  std::lock_guard guard(lock_);
  if (fd_ < 0) return;
  auto ms = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - origin_).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%10.3f ms  ", static_cast<double>(ms) / 1000.0);
  std::string line = stamp + text + "\n";
  const char *p = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    ssize_t n = write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return; // a log never fails the graph's work
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

} // namespace graph
