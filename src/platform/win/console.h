// Console control events: the ways the session asks a program to end (interrupt from
// the terminal, the terminal closing, log-off or shutdown).
#pragma once

#include "com/types.h"

constexpr DWORD CTRL_C_EVENT = 0;        // interrupt from the terminal
constexpr DWORD CTRL_BREAK_EVENT = 1;
constexpr DWORD CTRL_CLOSE_EVENT = 2;    // the terminal went away
constexpr DWORD CTRL_LOGOFF_EVENT = 5;
constexpr DWORD CTRL_SHUTDOWN_EVENT = 6; // the session ends the program

using PHANDLER_ROUTINE = BOOL (*)(DWORD ctrlType);

// Adds (add true) or removes a handler. Handlers run on the thread that added the first
// one, from its event loop, the last added first, until one returns TRUE; when none
// does, the program ends at once. Once an event has been handed to the handlers, a
// second one ends the program at once with status 128 + the signal number, whatever
// the handlers are doing. FALSE for a null routine or one that is not there.
BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE routine, BOOL add);
