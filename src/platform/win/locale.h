// Locale queries: the English name of a language identifier.
#pragma once

#include "com/types.h"

using LCID = DWORD;

constexpr DWORD LOCALE_SENGLANGUAGE = 0x1001;

// Writes the asked information about the locale into data (size characters including
// the terminating zero) and returns the number of characters written; 0 when nothing
// is known about it.
int GetLocaleInfoA(LCID lcid, DWORD type, char *data, int size);
