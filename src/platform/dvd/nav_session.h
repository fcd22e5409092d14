// The navigation library behind plain types: one opened volume, its virtual machine
// and its block reader. Not thread-safe: one thread at a time (the navigator thread
// once it runs).
#pragma once

#include "com/media_time.h"
#include "com/types.h"
#include "dvd/pointing.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dvd {

enum class NavDomain { FirstPlay = 1, VideoManagerMenu = 2, TitleSetMenu = 3, Title = 4, Stop = 5 };

// The presentation control information of one navigation packet, copied.
struct PciCopy {
  bool valid = false;
  media::Pts90k vobuStart, vobuEnd;
  DWORD prohibitedOps = 0;          // bit n set: user operation n prohibited
  int highlightStatus = 0;          // hli_ss
  int buttonCount = 0;
  int forcedSelect = 0;
  std::vector<ButtonArea> buttons;
  std::array<unsigned char, 1024> raw{}; // the library's structure, passed back to it
};

struct DsiCopy {
  DWORD sector = 0;         // logical block of the navigation pack
  DWORD vobuEnd = 0;        // relative end address of the VOBU
  DWORD firstRefEnd = 0;    // relative end address of the first reference picture
};

struct NavHighlightArea {
  LONG x0 = 0, y0 = 0, x1 = 0, y1 = 0; // inclusive
  DWORD palette = 0;                   // 4 colours and 4 contrasts, 4 bits each
};

struct NavEvent {
  enum Kind {
    Block, Nop, Still, SpuStreamChange, AudioStreamChange, VtsChange, CellChange, NavPacket,
    Stop, Highlight, ClutChange, HopChannel, Wait, Error
  };
  Kind kind = Nop;
  const BYTE *data = nullptr; // Block and NavPacket: the 2048-byte pack
  std::size_t size = 0;
  int stillSeconds = 0;       // Still: 255 = until told
  int newTitleSet = 0;        // VtsChange
  NavDomain newDomain = NavDomain::FirstPlay;
  int cell = 0, program = 0;  // CellChange
  media::Ticks90k pgcLength;  // CellChange
  std::array<DWORD, 16> clut{}; // ClutChange
  int button = 0;             // Highlight
  int audioRegister = 15;     // AudioStreamChange: SPRM1 as it is
  std::string error;          // Error
};

class NavSession {
public:
  // Opens the volume (a folder, image or device). Null with a message on failure.
  static std::unique_ptr<NavSession> Open(const std::string &path, std::string *error);
  ~NavSession();
  NavSession(const NavSession &) = delete;
  NavSession &operator=(const NavSession &) = delete;

  // The next block or event. The data stays valid until the next call.
  NavEvent Next();
  std::string LastError();

  // Where the machine is.
  NavDomain Domain();
  bool TitlePart(int *title, int *part);
  bool TitleProgram(int *title, int *pgcn, int *pgn);
  // Sector within the current program chain and the chain's length.
  bool Position(DWORD *sector, DWORD *length);
  media::Ticks90k CurrentTime(); // the playback time of the current VOBU in its chain
  int Titles();
  int Chapters(int title);
  // Chapter end times (not starts); the chain's duration in *total, none when the title
  // has no times.
  std::vector<media::Ticks90k> ChapterEnds(int title, std::optional<media::Ticks90k> *total);

  // Streams: SPRM1 (logical audio), the physical stream id of the active audio
  // stream (0x80.. AC-3, 0x88.. DTS, 0xA0.. LPCM, 0xC0.. MPEG; -1 none), SPRM2.
  int AudioRegister();
  int AudioStreamId();
  int SubpictureRegister(); // bits 0-5 logical stream, bit 6 display on
  int SubpictureStreamId(bool wide); // 0x20.. ; -1 none
  bool Angle(int *current, int *count);

  // The navigation packet just read, kept for button calls and for the picture clock.
  void KeepNavPacket(PciCopy *pci, DsiCopy *dsi);

  // Commands; false with LastError() on failure.
  bool StillSkip();
  bool WaitSkip();
  bool TitlePlay(int title);
  bool PartPlay(int title, int part);
  bool ProgramPlay(int title, int pgcn, int pgn);
  bool MenuCall(int menuId); // 0 escape (resume), 2 title, 3 root, 4..7 others
  bool NextProgram();
  bool PrevProgram();
  bool TopProgram();
  bool GoUp();
  bool SectorSearch(LONGLONG sector); // within the program chain, from its start
  bool TimeSearch(media::Ticks90k time); // in the program chain; before its start: the start
  bool StopPlayback();
  bool AngleChange(int angle);
  // Buttons act on a kept packet.
  int CurrentButton();
  bool SelectButton(PciCopy &pci, int button);
  bool ActivateButton(PciCopy &pci);
  bool SelectAndActivateButton(PciCopy &pci, int button);
  bool SelectRelativeButton(PciCopy &pci, int direction); // 1 up, 2 down, 3 left, 4 right
  // The button under a stored-picture point: select it, or select and activate it.
  bool MouseSelect(PciCopy &pci, LONG x, LONG y);
  bool MouseActivate(PciCopy &pci, LONG x, LONG y);
  bool HighlightArea(PciCopy &pci, int button, bool action, NavHighlightArea *area);
  // Runs the set-stream command: audio 0..7 or -1 to keep; subpicture 0..31 or -1 to
  // keep, with display on or off (-1 keeps); angle 1..9 or -1.
  bool SetStreams(int audio, int subpicture, int display, int angle);

private:
  struct Impl;
  explicit NavSession(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
  int audioRegister_ = 15; // SPRM1 from the last audio event or set-stream command
};

} // namespace dvd
