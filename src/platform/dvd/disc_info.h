// What the disc's information files say: titles, chapters, and per title set the
// picture format and the audio and subpicture streams with their languages.
#pragma once

#include "com/types.h"
#include "dvd/demux.h"

#include <string>
#include <vector>

namespace dvd {

struct AudioStreamInfo {
  AudioCoding coding = AudioCoding::Ac3;
  LONG channels = 2;
  LONG sampleRate = 48000;
  LONG bitsPerSample = 0; // LPCM only
  WORD language = 0;      // two letters, first in the high byte; 0 when not given
};

struct VideoInfo {
  LONG width = 720;
  LONG height = 480;
  bool wide = false;             // 16:9
  bool letterboxAllowed = false;
  bool pal = false;
};

struct StreamSet {
  VideoInfo video;
  std::vector<AudioStreamInfo> audio;
  std::vector<WORD> subpictureLanguages;
};

struct TitleSetInfo {
  StreamSet menus;
  StreamSet titles;
  unsigned menuIds = 0; // bit n set: the set has an entry for menu id n (3 root, 4 subpicture, ... 7 chapter)
};

struct TitleEntry {
  int titleSet = 0;
  int chapters = 0;
  int angles = 1;
};

struct DiscInfo {
  ULONGLONG discId = 0;
  std::string path;
  StreamSet videoManagerMenus;
  unsigned videoManagerMenuIds = 0; // bit 2: a title menu
  std::vector<TitleSetInfo> titleSets; // index 0 is title set 1
  std::vector<TitleEntry> titles;      // index 0 is title 1
};

// Reads the information files of an opened volume. False when the volume's video
// manager cannot be read. Title sets that cannot be read keep default entries.
bool ReadDiscInfo(const std::string &path, DiscInfo *info);

// The disc identifier: the first 8 bytes of the MD5 digest over the information files.
bool ReadDiscId(const std::string &path, ULONGLONG *id);

} // namespace dvd
