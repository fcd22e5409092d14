#include "dvd/library_log.h"

#include "com/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace dvd {
namespace {

const char kNoDecryption[] = "Encrypted DVD support unavailable.";


// What the libraries report on every open of a disc folder or image (no drive to read
// a name block from) and of any disc without the decryption library installed: not
// worth a warning. A disc that needs the library is told when a scrambled pack comes.
bool Routine(const char *text) {
  return std::strncmp(text, "Couldn't find device name.", 26) == 0 ||
         std::strncmp(text, "Can't read name block.", 22) == 0 ||
         std::strncmp(text, "vm: dvd_read_name failed", 24) == 0 ||
         std::strncmp(text, kNoDecryption, std::strlen(kNoDecryption)) == 0;
}

void Emit(bool warning, const char *library, const char *fmt, va_list args) {
  if (!warning && !lcNav().isDebugEnabled()) return;
  char text[1024];
  std::vsnprintf(text, sizeof text, fmt, args);
  if (warning && Routine(text)) {
    warning = false;
    if (!lcNav().isDebugEnabled()) return;
  }
  if (std::strncmp(text, kNoDecryption, std::strlen(kNoDecryption)) == 0) text[std::strlen(kNoDecryption)] = 0; // its banner
  for (std::size_t n = std::strlen(text); n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r'); --n) text[n - 1] = 0;
  if (warning)
    qCWarning(lcNav, "%s: %s", library, text);
  else
    qCDebug(lcNav, "%s: %s", library, text);
}

void NavLog(void *, dvdnav_logger_level_t level, const char *fmt, va_list args) {
  Emit(level == DVDNAV_LOGGER_LEVEL_ERROR || level == DVDNAV_LOGGER_LEVEL_WARN, "libdvdnav", fmt, args);
}

void ReadLog(void *, dvd_logger_level_t level, const char *fmt, va_list args) {
  Emit(level == DVD_LOGGER_LEVEL_ERROR || level == DVD_LOGGER_LEVEL_WARN, "libdvdread", fmt, args);
}

} // namespace

const dvdnav_logger_cb *NavLibraryLogger() {
  static const dvdnav_logger_cb logger{NavLog};
  return &logger;
}

const dvd_logger_cb *ReadLibraryLogger() {
  static const dvd_logger_cb logger{ReadLog};
  return &logger;
}

} // namespace dvd
