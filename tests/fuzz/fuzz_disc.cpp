// libFuzzer target: opening a disc folder and reading its information files. The input
// is a mutated disc: the video manager's IFO, the title set's IFO (each after a 32-bit
// big-endian length; each BUP is written as a copy of its IFO) and the rest as the
// VOBs (menus and the title set's first title file). The folder is read for its disc
// information, opened by the navigator, and played for a bounded number of blocks and
// events. The folder goes away when the program ends.
#include "dvd/disc_info.h"
#include "dvd/nav_session.h"

#include <QLoggingCategory>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The libraries' complaints about mutated input are expected: routed, then dropped.
[[maybe_unused]] const bool kQuiet = [] {
  QLoggingCategory::setFilterRules("qdvd.*=false");
  return true;
}();

// Kept for the whole run (never destroyed, so that the clean-up at exit can use it).
const std::string &Folder() {
  static const std::string *dir = [] {
    const char *base = std::getenv("TMPDIR");
    auto *d = new std::string(std::string(base && *base ? base : "/tmp") + "/qdvd-fuzz-disc-" + std::to_string(getpid()));
    mkdir(d->c_str(), 0700);
    mkdir((*d + "/VIDEO_TS").c_str(), 0700);
    std::atexit([] { std::filesystem::remove_all(Folder()); });
    return d;
  }();
  return *dir;
}

void Write(const std::string &name, const uint8_t *data, size_t size) {
  FILE *f = std::fopen((Folder() + "/VIDEO_TS/" + name).c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

bool Take(const uint8_t *&data, size_t &size, const uint8_t **part, size_t *partSize) {
  if (size < 4) return false;
  const size_t n = std::min<size_t>(size_t(data[0]) << 24 | size_t(data[1]) << 16 | size_t(data[2]) << 8 | data[3],
                                    size - 4);
  *part = data + 4;
  *partSize = n;
  data += 4 + n;
  size -= 4 + n;
  return true;
}

} // namespace

// A mutated count in an IFO makes libdvdread ask for gigabytes; it checks for a failed
// allocation and gives the disc up, as it does in the player. Under the address
// sanitizer (the fuzzing program and the sanitizer build's replay) such a request must
// fail the same way instead of ending the run.
// Allocations are traced through libdvdread's frames (it keeps no frame pointers), so
// that its known leak below is told apart from an information file left open.
extern "C" __attribute__((visibility("default"), used)) const char *__asan_default_options() {
  return "allocator_may_return_null=1:fast_unwind_on_malloc=0";
}

// libdvdread's own leak on a program chain it cannot read (see tests/lsan.supp), for
// the fuzzing program, which does not read that file.
extern "C" __attribute__((visibility("default"), used)) const char *__lsan_default_suppressions() {
  return "leak:ifoRead_PGCIT\nleak:ifoRead_PGCI_UT\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const uint8_t *vmg = nullptr, *vts = nullptr;
  size_t vmgSize = 0, vtsSize = 0;
  if (!Take(data, size, &vmg, &vmgSize) || !Take(data, size, &vts, &vtsSize)) return 0;
  Write("VIDEO_TS.IFO", vmg, vmgSize);
  Write("VIDEO_TS.BUP", vmg, vmgSize);
  Write("VTS_01_0.IFO", vts, vtsSize);
  Write("VTS_01_0.BUP", vts, vtsSize);
  Write("VTS_01_1.VOB", data, size);
  Write("VTS_01_0.VOB", data, size);
  Write("VIDEO_TS.VOB", data, size);

  dvd::DiscInfo info;
  dvd::ReadDiscInfo(Folder(), &info);
  std::string error;
  std::unique_ptr<dvd::NavSession> nav = dvd::NavSession::Open(Folder(), &error);
  if (!nav) return 0;
  for (int t = 1; t <= std::min(nav->Titles(), 4); ++t) {
    std::optional<media::Ticks90k> total;
    nav->ChapterEnds(t, &total);
  }
  for (int i = 0; i < 400; ++i) {
    dvd::NavEvent ev = nav->Next();
    if (ev.kind == dvd::NavEvent::Error || ev.kind == dvd::NavEvent::Stop) break;
    if (ev.kind == dvd::NavEvent::Still) nav->StillSkip();
    if (ev.kind == dvd::NavEvent::Wait) nav->WaitSkip();
    if (ev.kind == dvd::NavEvent::NavPacket) {
      dvd::PciCopy pci;
      dvd::DsiCopy dsi;
      nav->KeepNavPacket(&pci, &dsi);
      if (pci.buttonCount > 0) nav->SelectButton(pci, 1);
    }
  }
  return 0;
}
