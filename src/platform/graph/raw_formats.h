// Decoded media as the decoders hand it to the renderers.
//
// Video: MEDIATYPE_Video / MEDIASUBTYPE_RGB32, formattype FORMAT_RgbFrame, format block
//   RgbFrameFormat. Each sample holds one picture, rows top to bottom, 4 bytes per
//   pixel in memory order B, G, R, X (X = 0xFF), `stride` bytes per row. The start time
//   is the picture's presentation time; a sample without a time is shown at once.
//   A change of size or aspect comes as a new media type on the next sample.
// Video in YUV: MEDIATYPE_Video / MEDIASUBTYPE_I420, formattype FORMAT_YuvFrame, format
//   block YuvFrameFormat. Each sample holds one 4:2:0 picture as three planes, one
//   after the other without padding: Y (width x height), U then V ((width / 2) x
//   (height / 2) each). Width and height are even. Times and changes as for RGB32.
//   A sample may instead carry its planes where they are, each with its own row length:
//   it then answers IYuvPlanes, and its pointer and length cover the luma plane only.
//   Such planes are read-only (they may be the decoder's reference pictures).
// Audio: MEDIATYPE_Audio / MEDIASUBTYPE_PCM, formattype FORMAT_PcmAudio, format block
//   PcmAudioFormat. Interleaved samples; the decoders of this platform always send
//   48 kHz stereo 32-bit float, so the renderer never has to renegotiate.
#pragma once

#include "dshow/strmif.h"

inline constexpr GUID FORMAT_RgbFrame = {0x3F0A62C1, 0x7D24, 0x4E8B, {0x9A, 0x51, 0x2C, 0x6E, 0x13, 0xB7, 0x40, 0x01}};
inline constexpr GUID FORMAT_YuvFrame = {0x3F0A62C3, 0x7D24, 0x4E8B, {0x9A, 0x51, 0x2C, 0x6E, 0x13, 0xB7, 0x40, 0x01}};
inline constexpr GUID FORMAT_PcmAudio = {0x3F0A62C2, 0x7D24, 0x4E8B, {0x9A, 0x51, 0x2C, 0x6E, 0x13, 0xB7, 0x40, 0x01}};

struct RgbFrameFormat {
  LONG width;       // stored picture size in pixels
  LONG height;
  LONG stride;      // bytes per row, at least 4 * width
  LONG aspectX;     // display aspect of the whole picture, e.g. 4:3 or 16:9
  LONG aspectY;
  REFERENCE_TIME frameDuration; // 100-ns units; 0 when unknown
};

struct YuvFrameFormat {
  LONG width;       // stored picture size in pixels, even
  LONG height;
  LONG aspectX;     // display aspect of the whole picture
  LONG aspectY;
  REFERENCE_TIME frameDuration; // 100-ns units; 0 when unknown
};

// The bytes of one I420 picture and where its planes start.
inline long long YuvFrameBytes(LONG width, LONG height) {
  return static_cast<long long>(width) * height * 3 / 2;
}

// Answered by an I420 sample whose planes are not packed one after the other.
QDVD_DECLARE_IID(IYuvPlanes, 0x3F0A62C4, 0x7D24, 0x4E8B, 0x9A, 0x51, 0x2C, 0x6E, 0x13, 0xB7, 0x40, 0x01)
struct IYuvPlanes : IMediaSample {
  // The Y, U and V planes and the bytes per row of each (at least width, width / 2).
  virtual HRESULT GetPlanes(BYTE *planes[3], LONG strides[3]) = 0;
};

struct PcmAudioFormat {
  LONG sampleRate;    // frames per second
  LONG channels;      // interleaved
  LONG bitsPerSample; // 16 (signed integer) or 32 (float)
  BOOL isFloat;
  LONG blockAlign;    // bytes per frame = channels * bitsPerSample / 8
};
