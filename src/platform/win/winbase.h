// The platform's base services: arithmetic, file handles, thread identity and priority.
#pragma once

#include "com/types.h"

// number × numerator / denominator with a 64-bit intermediate, rounded to the nearest
// integer (halves away from zero). -1 when denominator is 0 or the result does not fit
// in 32 bits.
INT MulDiv(INT number, INT numerator, INT denominator);

// Files. A file handle stays valid until CloseHandle; it is never 0.
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD CREATE_ALWAYS = 2; // create, or truncate what is there
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
// Opens name (in the local 8-bit encoding). Share mode, security and template are
// accepted and ignored. INVALID_HANDLE_VALUE when the file cannot be opened.
HANDLE CreateFileA(LPCSTR name, DWORD desiredAccess, DWORD shareMode, void *security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// Closes a file or thread handle. FALSE for a handle that is not open.
BOOL CloseHandle(HANDLE handle);

// Processes and threads. Priorities are the levels below; a level the process may not take (raising
// needs privileges the player does not have) is refused and leaves the thread as it was.
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr DWORD THREAD_SET_INFORMATION = 0x20;
constexpr DWORD THREAD_QUERY_INFORMATION = 0x40;
DWORD GetCurrentProcessId();
// The calling thread's identifier, unique among the running threads of the system.
DWORD GetCurrentThreadId();
// A handle on the thread with that identifier (close it with CloseHandle); nullptr for 0.
HANDLE OpenThread(DWORD desiredAccess, BOOL inheritHandle, DWORD threadId);
BOOL SetThreadPriority(HANDLE thread, int priority);
// The thread's level; THREAD_PRIORITY_ERROR_RETURN when it cannot be read.
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;
int GetThreadPriority(HANDLE thread);
