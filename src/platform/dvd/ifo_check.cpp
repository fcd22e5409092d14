#include "dvd/ifo_check.h"

#include "com/log.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

namespace dvd {
namespace {

constexpr std::size_t kBlock = 2048;
constexpr std::size_t kMaxBlocks = 1u << 15; // 64 MiB: far above any real information file
constexpr uint32_t kPgcSize = 236;           // a program chain's fixed part

// The bytes of one information file that libdvdread can read: its leading blocks up to
// the first that fails. Every read libdvdread makes past them fails too.
class IfoBytes {
public:
  std::vector<uint8_t> data;
  bool tooLarge = false;

  bool Has(uint64_t at, uint64_t length) const { return at + length <= data.size(); }
  unsigned U8(uint64_t at) const { return data[at]; }
  unsigned U16(uint64_t at) const { return unsigned(data[at]) << 8 | data[at + 1]; }
  uint32_t U32(uint64_t at) const {
    return uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 | uint32_t(data[at + 2]) << 8 | data[at + 3];
  }
};

IfoBytes ReadIfo(dvd_reader_t *reader, int titleSet, dvd_read_domain_t domain) {
  IfoBytes out;
  dvd_file_t *file = DVDOpenFile(reader, titleSet, domain);
  if (!file) return out;
  const ssize_t blocks = DVDFileSize(file);
  if (blocks > static_cast<ssize_t>(kMaxBlocks)) {
    out.tooLarge = true;
  } else if (blocks > 0 && DVDFileSeek(file, 0) == 0) {
    out.data.resize(static_cast<std::size_t>(blocks) * kBlock);
    std::size_t got = 0;
    while (got < static_cast<std::size_t>(blocks) &&
           DVDReadBytes(file, out.data.data() + got * kBlock, kBlock) == static_cast<ssize_t>(kBlock))
      ++got;
    out.data.resize(got * kBlock);
  }
  DVDCloseFile(file);
  return out;
}

// Walks the tables of one file the way libdvdread reads them: offsets are 32-bit
// unsigned sums, as there, and an offset past 2 GiB (a negative seek there) is a fault.
class Checker {
public:
  explicit Checker(const IfoBytes &ifo) : f_(ifo) {}
  std::string fault;

  // The program chain information table at byte `base` (a title set's titles, or one
  // language unit of menus). libdvdread leaves a chain that it cannot read null, and
  // the navigator plays a null chain as soon as something leads to it: an entry chain
  // (a menu's or a title's), a chapter (`chapterChains`, 1-based numbers) or a link of
  // another chain. A chain nothing leads to is left alone, as libdvdread leaves it.
  void Table(uint32_t base, const std::vector<unsigned> &chapterChains = {}) {
    if (!Offset(base) || !f_.Has(base, 8)) return; // libdvdread fails the read
    const unsigned count = f_.U16(base);
    if (count == 0 || !f_.Has(uint64_t(base) + 8, uint64_t(count) * 8)) return;
    std::vector<uint32_t> starts;
    for (unsigned i = 0; i < count; ++i)
      starts.push_back(f_.U32(uint64_t(base) + 8 + 8 * i + 4));
    std::set<uint32_t> seen, read;
    for (uint32_t start : starts) {
      if (!seen.insert(start).second) {
        // libdvdread shares one chain among the entries that point to it, taking a
        // reference on it: through a null pointer when the chain could not be read.
        if (!read.count(start)) return Fail("entries share a program chain that cannot be read");
        continue;
      }
      const uint32_t at = base + start;
      if (Offset(at) && Chain(at)) read.insert(start);
      if (!fault.empty()) return;
    }
    auto readable = [&](unsigned number) { // 1-based; numbers outside the table the navigator refuses
      return number == 0 || number > count || read.count(starts[number - 1]);
    };
    for (unsigned i = 0; i < count; ++i) {
      if (!read.count(starts[i])) {
        if (f_.U8(uint64_t(base) + 8 + 8 * i) & 0x80) return Fail("an entry program chain cannot be read");
        continue;
      }
      const uint64_t at = uint64_t(base) + starts[i];
      for (unsigned link : {f_.U16(at + 0x9C), f_.U16(at + 0x9E), f_.U16(at + 0xA0)})
        if (!readable(link)) return Fail("a program chain links to one that cannot be read");
    }
    for (unsigned number : chapterChains)
      if (!readable(number)) return Fail("a chapter names a program chain that cannot be read");
  }

  // The program chain numbers that the chapters of the title set's part-of-title table
  // at block `sector` name, as libdvdread reads them (entries past the table's end are
  // dropped there).
  std::vector<unsigned> ChapterChains(uint32_t sector) {
    std::vector<unsigned> out;
    const uint32_t base = sector * uint32_t(kBlock);
    if (sector == 0 || !Offset(base) || !f_.Has(base, 8)) return out;
    const unsigned units = f_.U16(base);
    const uint64_t end = uint64_t(base) + f_.U32(uint64_t(base) + 4) + 1;
    if (!f_.Has(uint64_t(base) + 8, uint64_t(units) * 4)) return out;
    for (unsigned u = 0; u < units; ++u) {
      const uint64_t from = uint64_t(base) + f_.U32(uint64_t(base) + 8 + 4 * u);
      const uint64_t to = u + 1 < units ? uint64_t(base) + f_.U32(uint64_t(base) + 8 + 4 * (u + 1)) : end;
      for (uint64_t at = from; at + 4 <= std::min<uint64_t>(to, end) && f_.Has(at, 4); at += 4)
        out.push_back(f_.U16(at));
    }
    return out;
  }

  // The first-play chain at byte `at`. When its commands cannot all be read, libdvdread
  // frees the ones it read and then frees them again with the chain.
  void FirstPlay(uint32_t at) {
    if (!f_.Has(at, kPgcSize)) return;
    if (const unsigned commands = f_.U16(at + 228)) {
      const uint32_t table = at + commands;
      if (!Offset(table)) return;
      if (f_.Has(table, 8)) {
        const uint64_t n = uint64_t(f_.U16(table)) + f_.U16(uint64_t(table) + 2) + f_.U16(uint64_t(table) + 4);
        if (n && !f_.Has(uint64_t(table) + 8, n * 8)) return Fail("the first-play chain's commands cannot be read");
      }
    }
    Chain(at);
  }

  // The menus' table of language units at block `sector` (0: none).
  void Menus(uint32_t sector) {
    if (sector == 0) return;
    const uint32_t base = sector * uint32_t(kBlock);
    if (!Offset(base) || !f_.Has(base, 8)) return;
    const unsigned units = f_.U16(base);
    if (units == 0 || !f_.Has(uint64_t(base) + 8, uint64_t(units) * 8)) return;
    std::set<uint32_t> seen;
    for (unsigned i = 0; i < units && fault.empty(); ++i) {
      const uint32_t start = f_.U32(uint64_t(base) + 8 + 8 * i + 4);
      if (seen.insert(start).second) Table(base + start);
    }
  }

  // One program chain at byte `at`: true when libdvdread reads it. The navigator plays
  // a chain without checking that its programs have a map and cells to point to.
  bool Chain(uint32_t at) {
    if (!f_.Has(at, kPgcSize)) return false;
    const unsigned programs = f_.U8(at + 2), cells = f_.U8(at + 3);
    const unsigned commands = f_.U16(at + 228), map = f_.U16(at + 230), playback = f_.U16(at + 232),
                   position = f_.U16(at + 234);
    if (commands) {
      const uint32_t table = at + commands;
      if (!Offset(table) || !f_.Has(table, 8)) return false;
      const uint64_t n = uint64_t(f_.U16(table)) + f_.U16(uint64_t(table) + 2) + f_.U16(uint64_t(table) + 4);
      if (!f_.Has(uint64_t(table) + 8, n * 8)) return false;
    }
    if (map && programs && !Within(at + map, programs)) return false;
    if (playback && cells && !Within(at + playback, uint64_t(cells) * 24)) return false;
    if (position && cells && !Within(at + position, uint64_t(cells) * 4)) return false;
    if (!fault.empty() || programs == 0) return fault.empty();
    if (map == 0) return Fail("a program chain with programs and no program map"), false;
    if (cells == 0 || playback == 0) return Fail("a program chain with programs and no cells"), false;
    for (unsigned p = 0; p < programs; ++p) {
      const unsigned cell = f_.U8(uint64_t(at + map) + p);
      if (cell == 0 || cell > cells) return Fail("a program that starts at a cell the chain lacks"), false;
    }
    return true;
  }

  bool Offset(uint32_t at) {
    if (at < 0x80000000u) return true;
    Fail("a table offset past 2 GiB");
    return false;
  }

private:
  const IfoBytes &f_;

  bool Within(uint32_t at, uint64_t length) { return Offset(at) && f_.Has(at, length); }
  void Fail(const char *what) {
    if (fault.empty()) fault = what;
  }
};

std::string CheckFile(const IfoBytes &f, int titleSet) {
  if (f.tooLarge) return "the file is too large";
  static const char kVmg[] = "DVDVIDEO-VMG", kVts[] = "DVDVIDEO-VTS";
  const char *id = titleSet == 0 ? kVmg : kVts;
  if (!f.Has(0, 0x100) || !std::equal(id, id + 12, f.data.begin())) return {}; // libdvdread refuses it
  Checker c(f);
  if (titleSet == 0) {
    const uint32_t firstPlay = f.U32(0x84);
    if (firstPlay && c.Offset(firstPlay)) c.FirstPlay(firstPlay);
    // Without its title table the video manager is unusable (libdvdread gives it up);
    // when the table's header cannot be read, libdvdread frees the table and then
    // frees it again when it closes the file.
    const uint32_t titles = f.U32(0xC4) * uint32_t(kBlock);
    if (!f.U32(0xC4) || !c.Offset(titles) || !f.Has(titles, 8)) return "the title table cannot be read";
    {
      // Its length as libdvdread computes it: asking for more than the file holds
      // overflows its read buffer instead of failing.
      uint32_t last = f.U32(uint64_t(titles) + 4);
      if (last == 0) last = f.U16(titles) * 12u - 1 + 8;
      if (!f.Has(uint64_t(titles) + 8, uint32_t(last + 1 - 8))) return "the title table is longer than the file";
    }
    if (c.fault.empty()) c.Menus(f.U32(0xC8));
  } else {
    // libdvdread reads the chapter table's whole length, as its header gives it, in one
    // go: a length past the file makes it allocate and clear gigabytes before the read fails.
    if (const uint32_t chapters = f.U32(0xC8) * uint32_t(kBlock); chapters && c.Offset(chapters) && f.Has(chapters, 8)) {
      const uint32_t last = f.U32(uint64_t(chapters) + 4);
      if (!f.Has(uint64_t(chapters) + 8, uint32_t(last + 1 - 8))) return "the chapter table is longer than the file";
    }
    const uint32_t titles = f.U32(0xCC);
    if (titles) c.Table(titles * uint32_t(kBlock), c.ChapterChains(f.U32(0xC8)));
    if (c.fault.empty()) c.Menus(f.U32(0xD0));
  }
  return c.fault;
}

// Whether every chapter of the title leads through the title set's tables to cells
// with times, as the chapter walk of the navigation library assumes.
bool ChaptersSound(const title_info_t &title, const ifo_handle_t *vts) {
  if (!vts || !vts->vts_ptt_srpt || !vts->vts_ptt_srpt->title || !vts->vts_pgcit || !vts->vts_pgcit->pgci_srp)
    return false;
  if (title.vts_ttn == 0 || title.vts_ttn > vts->vts_ptt_srpt->nr_of_srpts) return false;
  const ttu_t &unit = vts->vts_ptt_srpt->title[title.vts_ttn - 1];
  const int parts = std::min<int>(title.nr_of_ptts, unit.nr_of_ptts);
  if (parts > 0 && !unit.ptt) return false;
  for (int i = 0; i < parts; ++i) {
    const ptt_info_t &ptt = unit.ptt[i];
    if (ptt.pgcn == 0 || ptt.pgcn > vts->vts_pgcit->nr_of_pgci_srp) return false;
    const pgc_t *pgc = vts->vts_pgcit->pgci_srp[ptt.pgcn - 1].pgc;
    if (!pgc || !pgc->program_map || !pgc->cell_playback || pgc->nr_of_cells == 0) return false;
    if (ptt.pgn == 0 || ptt.pgn > pgc->nr_of_programs) return false;
    for (int p = 0; p < pgc->nr_of_programs; ++p)
      if (pgc->program_map[p] == 0 || pgc->program_map[p] > pgc->nr_of_cells) return false;
  }
  return true;
}

} // namespace

std::vector<bool> TitlesWithSoundChapters(dvd_reader_s *reader) {
  std::vector<bool> out;
  ifo_handle_t *vmg = ifoOpen(reader, 0);
  if (!vmg) return out;
  std::map<int, ifo_handle_t *> sets;
  if (vmg->tt_srpt && vmg->tt_srpt->title) {
    const int titleSets = vmg->vmgi_mat ? vmg->vmgi_mat->vmg_nr_of_title_sets : 0;
    for (int t = 0; t < vmg->tt_srpt->nr_of_srpts; ++t) {
      const title_info_t &title = vmg->tt_srpt->title[t];
      const int n = title.title_set_nr;
      if (n < 1 || n > titleSets) {
        out.push_back(false);
        continue;
      }
      auto it = sets.find(n);
      if (it == sets.end()) it = sets.emplace(n, ifoOpen(reader, n)).first;
      out.push_back(ChaptersSound(title, it->second));
    }
  }
  for (auto &[n, ifo] : sets)
    if (ifo) ifoClose(ifo);
  ifoClose(vmg);
  return out;
}

bool IfoFilesSafe(dvd_reader_s *reader, int titleSet, std::string *fault) {
  for (dvd_read_domain_t domain : {DVD_READ_INFO_FILE, DVD_READ_INFO_BACKUP_FILE}) {
    std::string why = CheckFile(ReadIfo(reader, titleSet, domain), titleSet);
    if (why.empty()) continue;
    char name[16];
    if (titleSet == 0)
      std::snprintf(name, sizeof name, "VIDEO_TS.%s", domain == DVD_READ_INFO_FILE ? "IFO" : "BUP");
    else
      std::snprintf(name, sizeof name, "VTS_%02d_0.%s", titleSet, domain == DVD_READ_INFO_FILE ? "IFO" : "BUP");
    qCWarning(lcNav, "%s is damaged: %s", name, why.c_str());
    if (fault) *fault = std::string(name) + ": " + why;
    return false;
  }
  return true;
}

bool DiscIfoFilesSafe(dvd_reader_s *reader, std::string *fault) {
  if (!IfoFilesSafe(reader, 0, fault)) return false;
  IfoBytes vmg = ReadIfo(reader, 0, DVD_READ_INFO_FILE);
  if (!vmg.Has(0, 0x100)) vmg = ReadIfo(reader, 0, DVD_READ_INFO_BACKUP_FILE);
  if (!vmg.Has(0, 0x100)) return true; // no video manager: libdvdread refuses the disc
  // The title sets the video manager counts, and any other its titles name (the
  // navigation library opens those too).
  std::set<unsigned> titleSets;
  for (unsigned n = 1; n <= std::min(vmg.U16(0x3E), 99u); ++n)
    titleSets.insert(n);
  const uint64_t titles = uint64_t(vmg.U32(0xC4)) * kBlock;
  if (vmg.Has(titles, 8))
    for (unsigned t = 0, count = vmg.U16(titles); t < count && vmg.Has(titles + 8 + 12 * t, 12); ++t) {
      const unsigned n = vmg.U8(titles + 8 + 12 * t + 6);
      if (n >= 1 && n <= 99) titleSets.insert(n);
    }
  for (unsigned n : titleSets)
    if (!IfoFilesSafe(reader, static_cast<int>(n), fault)) return false;
  return true;
}

} // namespace dvd
