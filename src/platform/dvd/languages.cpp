#include "dvd/languages.h"

namespace dvd {
namespace {
struct Entry {
  char code[3];
  DWORD lcid;
};

// The languages that DVDs carry, with the identifier of each one's main locale.
constexpr Entry kTable[] = {
    {"af", 0x0436}, {"ar", 0x0401}, {"bg", 0x0402}, {"ca", 0x0403}, {"cs", 0x0405}, {"cy", 0x0452},
    {"da", 0x0406}, {"de", 0x0407}, {"el", 0x0408}, {"en", 0x0409}, {"es", 0x0C0A}, {"et", 0x0425},
    {"eu", 0x042D}, {"fa", 0x0429}, {"fi", 0x040B}, {"fr", 0x040C}, {"ga", 0x083C}, {"gl", 0x0456},
    {"he", 0x040D}, {"iw", 0x040D}, {"hi", 0x0439}, {"hr", 0x041A}, {"hu", 0x040E}, {"id", 0x0421},
    {"in", 0x0421}, {"is", 0x040F}, {"it", 0x0410}, {"ja", 0x0411}, {"ko", 0x0412}, {"lt", 0x0427},
    {"lv", 0x0426}, {"ms", 0x043E}, {"nl", 0x0413}, {"no", 0x0414}, {"nb", 0x0414}, {"nn", 0x0814},
    {"pl", 0x0415}, {"pt", 0x0816}, {"ro", 0x0418}, {"ru", 0x0419}, {"sk", 0x041B}, {"sl", 0x0424},
    {"sr", 0x081A}, {"sv", 0x041D}, {"ta", 0x0449}, {"th", 0x041E}, {"tr", 0x041F}, {"uk", 0x0422},
    {"vi", 0x042A}, {"zh", 0x0804},
};

char Lower(unsigned c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); }
} // namespace

DWORD LcidFromIsoCode(WORD code) {
  char a = Lower(code >> 8), b = Lower(code & 0xFF);
  for (const Entry &e : kTable)
    if (e.code[0] == a && e.code[1] == b) return e.lcid;
  return 0;
}

} // namespace dvd
