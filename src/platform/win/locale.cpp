#include "win/locale.h"

// Placeholder until the locale table lands: nothing is known about any locale.
int GetLocaleInfoA(LCID, DWORD, char *, int) { return 0; }
