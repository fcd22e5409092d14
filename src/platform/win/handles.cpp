// File and thread handles. A file handle is the file's descriptor (never below 3, so
// neither 0 nor INVALID_HANDLE_VALUE); the graph's log takes such a handle and keeps a
// descriptor of its own. A thread handle carries the thread's identifier above the
// range of descriptors; threads take their priority as a nice value (higher priority,
// lower value).
#include "win/winbase.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
constexpr std::uintptr_t kThreadTag = std::uintptr_t{1} << 40;

bool IsThreadHandle(HANDLE handle) {
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  return handle != INVALID_HANDLE_VALUE && (value & ~std::uintptr_t{0xFFFFFFFFu}) == kThreadTag;
}

id_t ThreadOf(HANDLE handle) {
  return static_cast<id_t>(reinterpret_cast<std::uintptr_t>(handle) & 0xFFFFFFFFu);
}
} // namespace

HANDLE CreateFileA(LPCSTR name, DWORD desiredAccess, DWORD, void *, DWORD creationDisposition, DWORD,
                   HANDLE) {
  if (!name) return INVALID_HANDLE_VALUE;
  int flags = O_CLOEXEC;
  const bool read = desiredAccess & GENERIC_READ, write = desiredAccess & GENERIC_WRITE;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  if (creationDisposition == CREATE_ALWAYS) flags |= O_CREAT | O_TRUNC;
  else if (creationDisposition != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
  int fd = ::open(name, flags, 0644);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  if (fd < 3) {
    // Keep clear of the standard descriptors: 0 means "no file" to the handle's users.
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    if (moved < 0) return INVALID_HANDLE_VALUE;
    fd = moved;
  }
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(fd));
}

BOOL CloseHandle(HANDLE handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return FALSE;
  if (IsThreadHandle(handle)) return TRUE;
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  if (value > 0x7FFFFFFF) return FALSE;
  return ::close(static_cast<int>(value)) == 0 ? TRUE : FALSE;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

DWORD GetCurrentThreadId() { return static_cast<DWORD>(::syscall(SYS_gettid)); }

HANDLE OpenThread(DWORD, BOOL, DWORD threadId) {
  if (threadId == 0) return nullptr;
  return reinterpret_cast<HANDLE>(kThreadTag | threadId);
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  if (!IsThreadHandle(thread)) return FALSE;
  return ::setpriority(PRIO_PROCESS, ThreadOf(thread), -priority) == 0 ? TRUE : FALSE;
}

int GetThreadPriority(HANDLE thread) {
  if (!IsThreadHandle(thread)) return THREAD_PRIORITY_ERROR_RETURN;
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, ThreadOf(thread));
  if (nice == -1 && errno != 0) return THREAD_PRIORITY_ERROR_RETURN;
  return -nice;
}
