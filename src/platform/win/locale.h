// Locale queries: the name of a language identifier, in English or in the user
// interface's language (Italian).
#pragma once

#include "com/types.h"

using LCID = DWORD;
using LCTYPE = DWORD;

constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;    // the language's name in the user's language
constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001; // the language's English name

constexpr WORD PRIMARYLANGID(LCID lcid) { return static_cast<WORD>(lcid & 0x3FF); }

// Writes the asked information about `locale` into data (size characters including the
// terminating zero) and returns the number of characters written including the zero.
// With size 0 it returns the size needed and writes nothing. Returns 0 for an unknown
// locale or type, a null buffer or a buffer too small. A locale is known by its primary
// language (English UK answers "English" like English US).
int GetLocaleInfoA(LCID locale, LCTYPE type, char *data, int size);
