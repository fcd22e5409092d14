// How the DVD navigator hands its streams to decoders and how decoders and renderers
// talk back to it. Platform-internal: only the navigator, the decoders and the
// renderers include this.
//
// Pins and media types
//   The navigator has three output pins, "Video", "Audio" and "SubPicture". Each carries
//   major type MEDIATYPE_DVD_ENCRYPTED_PACK with subtype MEDIASUBTYPE_MPEG2_VIDEO,
//   MEDIASUBTYPE_DOLBY_AC3 / MPEG2_AUDIO / DVD_LPCM_AUDIO / DTS, or
//   MEDIASUBTYPE_DVD_SUBPICTURE, and a format block (formattype FORMAT_None with the
//   structures below in pbFormat). When the stream's coding changes (another title set,
//   another audio stream) the next sample carries the new media type (SetMediaType).
//
// Samples
//   One sample is the payload of one PES packet: the PES header is removed, and for
//   private stream 1 also the sub-stream byte and, for AC-3 and DTS, the 3-byte frame
//   header that follows it, and for LPCM all 7 bytes of sub-stream id, frame header and
//   LPCM header, so that only samples remain (the parameters travel in DvdAudioFormat).
//   Subpicture payloads still have to be reassembled into units by the decoder.
//   Sample start time: the packet's presentation time on the graph's stream timeline in
//   100-ns units (stream time 0 = the moment the graph started running), set only on
//   packets that carry a PTS. The navigator keeps this timeline continuous across cells,
//   jumps and title sets.
//   Discontinuity: after every jump, seek, menu call or title-set change the navigator
//   first calls BeginFlush/EndFlush on every output pin, then NewSegment, and marks the
//   first sample of each stream with SetDiscontinuity(TRUE). Decoders flush their state
//   on a discontinuity.
//   Sync point: set on samples that start a video access unit with an I-frame (video) or
//   an audio frame.
#pragma once

#include "com/media_time.h"
#include "dshow/dshow.h"

struct DvdVideoFormat {
  LONG width;        // stored picture width (720, 704, 352)
  LONG height;       // 480 (NTSC) or 576 (PAL)
  LONG aspectX;      // display aspect 4:3 or 16:9
  LONG aspectY;
  BOOL letterboxAllowed; // the disc allows a 16:9 picture to be letterboxed on 4:3
  LONG framesPerSecondTimes1000; // 29970 or 25000
};

struct DvdAudioFormat {
  LONG sampleRate;   // 48000 or 96000
  LONG channels;     // 1..8
  LONG bitsPerSample; // LPCM: 16, 20 or 24; others 0
  DWORD languageCode; // ISO 639 two letters, e.g. 'e' << 8 | 'n'; 0 when unknown
};

struct DvdSubpictureFormat {
  DWORD languageCode; // ISO 639 two letters; 0 when unknown
};

// A button highlight over the subpicture, in stored-picture pixels.
struct DvdHighlight {
  BOOL visible;      // FALSE: no highlight (the others are ignored)
  RECT area;         // left, top inclusive; right, bottom exclusive
  BYTE colour[4];    // palette indices for background, pattern, emphasis 1, emphasis 2
  BYTE contrast[4];  // 0..15 for the same four
};

// Answered by the input pin that the navigator's "SubPicture" pin connects to.
QDVD_DECLARE_IID(IDvdSubpictureSink, 0x6B1C2E40, 0x3A55, 0x4C1E, 0x9E, 0x21, 0x70, 0x11, 0xA5, 0x3C, 0x12, 0x01)
struct IDvdSubpictureSink : IUnknown {
  // 16 palette entries, each 0x00YYCrCb as the disc stores them.
  virtual HRESULT SetPalette(const DWORD entries[16]) = 0;
  // Replaces the current highlight at once (a still menu shows the change immediately).
  virtual HRESULT SetHighlight(const DvdHighlight *highlight) = 0;
  // Subpicture display on or off (forced subpictures show either way).
  virtual HRESULT SetDisplay(BOOL on) = 0;
};

// Answered by the input pins that the navigator's "Video" and "Audio" pins connect to.
QDVD_DECLARE_IID(IDvdDecoderControl, 0x6B1C2E41, 0x3A55, 0x4C1E, 0x9E, 0x21, 0x70, 0x11, 0xA5, 0x3C, 0x12, 0x01)
struct IDvdDecoderControl : IUnknown {
  // Decode and deliver everything the decoder still holds (the parser's last access
  // unit, reordered pictures), without waiting for more data. Called before a still
  // picture so that it shows its own last frame. Returns when the output has been
  // delivered downstream.
  virtual HRESULT Drain() = 0;
  // Scanning: when TRUE only key frames are decoded (video) and output is muted (audio).
  virtual HRESULT SetScanMode(BOOL scanning) = 0;
};

// Answered by a video renderer filter: where the picture is drawn now, so that the
// navigator maps a point in the renderer window's client area (or the screen while the
// picture covers it from 0, 0) to stored-picture pixels; and which picture it put on
// the screen last, so that the navigator's status events go with it.
QDVD_DECLARE_IID(IPictureGeometry, 0x6B1C2E42, 0x3A55, 0x4C1E, 0x9E, 0x21, 0x70, 0x11, 0xA5, 0x3C, 0x12, 0x01)
struct IPictureGeometry : IUnknown {
  // dest: the picture's rectangle in client coordinates (right, bottom exclusive);
  // the stored picture's size in pixels. E_FAIL while no picture format is known.
  virtual HRESULT GetPictureGeometry(RECT *dest, LONG *pictureWidth, LONG *pictureHeight) = 0;
  // The stream time of the last picture handed to the screen since the last flush or
  // stop (one shown ahead of the clock after a flush included); S_FALSE while none.
  virtual HRESULT GetShownTime(media::StreamTime *start) = 0;
};
