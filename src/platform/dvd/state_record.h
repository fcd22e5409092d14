// The navigator's saved playback point (a bookmark) and its binary record.
//
// Record layout, little-endian: "QDVS", version (u16), payload length (u16), payload,
// CRC-32 of everything before it (u32). Payload of version 1: disc id (u64), domain
// (u8), title (u8), chapter (u16), program chain (u16), program (u16), time in the
// program chain in 90 kHz ticks (u64), sector in the program chain (u32), audio
// stream register (u8), subpicture stream register (u8), angle (u8), parental level
// (u8), menu id (u8), reserved (u8).
#pragma once

#include "com/media_time.h"
#include "com/types.h"

#include <cstddef>
#include <vector>

namespace dvd {

struct StateRecord {
  ULONGLONG discId = 0;
  BYTE domain = 0;  // DVD_DOMAIN: 1 first play .. 5 stop
  BYTE title = 0;   // 1..99 in a title, 0 in menus
  WORD chapter = 0; // 1..999 in a title
  WORD pgcn = 0;
  WORD pgn = 0;
  media::Ticks90k time90k; // in the program chain
  DWORD pgcSector = 0;
  BYTE audio = 15;   // 0..7, 15 = none chosen
  BYTE subpicture = 62; // bits 0-5 stream (62 = none), bit 6 display on
  BYTE angle = 1;    // 1..9
  BYTE parentalLevel = 15; // 1..8, 15 = none
  BYTE menu = 0;     // menu id in a menu domain (2 title, 3 root), else 0
};

constexpr DWORD kStateMagic = 0x53564451; // "QDVS"
constexpr WORD kStateVersion = 1;
constexpr std::size_t kStateHeaderSize = 8;
constexpr std::size_t kStatePayloadSize = 34;
constexpr std::size_t kStateRecordSize = kStateHeaderSize + kStatePayloadSize + 4;

std::vector<BYTE> SerializeState(const StateRecord &state);

// Reads the header: S_OK with the total record size, VFW_E_DVD_STATE_CORRUPT when it is
// not a state record, VFW_E_DVD_STATE_WRONG_VERSION for another version.
HRESULT ParseStateHeader(const BYTE *data, std::size_t size, std::size_t *recordSize);
// Reads a whole record and checks every field: S_OK, VFW_E_DVD_STATE_CORRUPT (truncated,
// damaged, out-of-range values) or VFW_E_DVD_STATE_WRONG_VERSION.
HRESULT ParseState(const BYTE *data, std::size_t size, StateRecord *state);

DWORD Crc32(const BYTE *data, std::size_t size);

} // namespace dvd
