// Multimedia timers: capabilities, resolution requests and timer events.
//
// Each timer event has a thread of its own that waits on a timerfd and calls the
// event's callback on that thread. The callback must be short and must not touch GUI
// objects; posting a message (PostMessageA) is the usual thing to do there.
#pragma once

#include "com/types.h"

using MMRESULT = UINT;

constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT TIMERR_NOCANDO = 97;
constexpr MMRESULT TIMERR_STRUCT = 129;

constexpr UINT TIME_ONESHOT = 0x0000;
constexpr UINT TIME_PERIODIC = 0x0001;
constexpr UINT TIME_CALLBACK_FUNCTION = 0x0000;

struct TIMECAPS {
  UINT wPeriodMin;
  UINT wPeriodMax;
};

// Called on the event's thread: the event identifier, 0, the caller's user data, 0, 0.
using LPTIMECALLBACK = void (*)(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2);

// Periods from 1 ms to 1 000 000 ms.
MMRESULT timeGetDevCaps(TIMECAPS *caps, UINT cbCaps);
// Resolution requests are counted; each timeBeginPeriod needs its timeEndPeriod with the
// same period. TIMERR_NOCANDO for a period outside the capabilities or an end without a
// matching begin. (Events are always precise here; the requests change nothing else.)
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
// Milliseconds since an arbitrary fixed point (wraps after 49.7 days).
DWORD timeGetTime();

// Arms an event: after `delay` ms the callback runs once (TIME_ONESHOT) or every `delay`
// ms (TIME_PERIODIC; expirations missed while a callback runs are merged into one call).
// Returns the event's identifier (never reused within the process), or 0 when the delay
// lies outside the capabilities, the callback is null or no more events can be armed.
UINT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
// Cancels an event. When it returns the callback is not running and never runs again
// (called from the event's own callback, it takes effect once that callback returns).
// MMSYSERR_INVALPARAM for an unknown identifier or a one-shot event that has fired.
MMRESULT timeKillEvent(UINT id);

// Diagnostics: events armed now, and resolution requests outstanding.
UINT timeActiveEventCount();
UINT timeActivePeriodCount();
// How many events may be armed at once (256 unless changed; tests lower it to make
// timeSetEvent fail). Returns the previous limit.
UINT timeSetEventLimit(UINT limit);
