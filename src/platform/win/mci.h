// Multimedia command strings. The one device here is "cdaudio": the optical drive in
// use (DVD_DEVICE when it names a drive) or else the first drive of the machine.
//   set cdaudio door open [wait|notify]    opens the tray
//   set cdaudio door closed [wait|notify]  closes it
// Commands run to the end before the call returns. With "notify" the callback window
// is then posted MM_MCINOTIFY (wParam MCI_NOTIFY_SUCCESSFUL or MCI_NOTIFY_FAILURE).
// Nothing is written to the return buffer: these commands give no text back.
#pragma once

#include "com/types.h"
#include "win/winuser.h"

#include <string>
#include <vector>

using MCIERROR = DWORD;

constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_UNRECOGNIZED_KEYWORD = MCIERR_BASE + 3;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr MCIERROR MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr MCIERROR MCIERR_MISSING_COMMAND_STRING = MCIERR_BASE + 11;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr MCIERROR MCIERR_DEVICE_NOT_READY = MCIERR_BASE + 20;

constexpr UINT MM_MCINOTIFY = 0x3B9;
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x0001;
constexpr WPARAM MCI_NOTIFY_FAILURE = 0x0008;

MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback);

// The drives "cdaudio" may stand for, in the order they are tried (tests replace them;
// an empty list restores the machine's own).
void mciSetCdAudioDrives(std::vector<std::string> drives);
