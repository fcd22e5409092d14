#include "com/types.h"

#include <cctype>
#include <cstdio>

std::string GuidToString(REFGUID g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                g.Data4[7]);
  return buf;
}

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ReadHex(const std::string &s, std::size_t pos, int digits, std::uint64_t *out) {
  std::uint64_t v = 0;
  for (int i = 0; i < digits; ++i) {
    int h = HexValue(s[pos + i]);
    if (h < 0) return false;
    v = (v << 4) | static_cast<unsigned>(h);
  }
  *out = v;
  return true;
}
} // namespace

bool GuidFromString(const std::string &text, GUID *out) {
  std::string s = text;
  if (s.size() == 38) {
    if (s.front() != '{' || s.back() != '}') return false;
    s = s.substr(1, 36);
  }
  if (s.size() != 36 || s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-') return false;
  GUID g{};
  std::uint64_t v = 0;
  if (!ReadHex(s, 0, 8, &v)) return false;
  g.Data1 = static_cast<std::uint32_t>(v);
  if (!ReadHex(s, 9, 4, &v)) return false;
  g.Data2 = static_cast<std::uint16_t>(v);
  if (!ReadHex(s, 14, 4, &v)) return false;
  g.Data3 = static_cast<std::uint16_t>(v);
  static const std::size_t bytePos[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(s, bytePos[i], 2, &v)) return false;
    g.Data4[i] = static_cast<std::uint8_t>(v);
  }
  *out = g;
  return true;
}

std::size_t GuidHash::operator()(const GUID &g) const noexcept {
  std::size_t h = g.Data1;
  h = h * 31 + g.Data2;
  h = h * 31 + g.Data3;
  for (auto b : g.Data4) h = h * 31 + b;
  return h;
}
