// Texts for the platform's result codes, in the platform's own words.
#include "dshow/errors.h"

#include "com/objidl.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct ErrorText {
  HRESULT code;
  const char *text;
};

constexpr ErrorText kTexts[] = {
    // General results.
    {S_OK, "Success."},
    {S_FALSE, "Success, with a negative or partial answer."},
    {E_FAIL, "The operation failed."},
    {E_INVALIDARG, "An argument is not valid."},
    {E_NOINTERFACE, "The object does not offer the requested interface."},
    {E_POINTER, "A required pointer is missing."},
    {E_NOTIMPL, "This operation is not available here."},
    {E_OUTOFMEMORY, "There is not enough memory for the operation."},
    {E_UNEXPECTED, "The call came at a moment the object did not expect."},
    {E_ACCESSDENIED, "Permission to do this was refused."},
    {E_HANDLE, "A handle passed in does not name a valid object."},
    {E_ABORT, "The operation was cut short before it finished."},
    {REGDB_E_CLASSNOTREG, "No component of this class is installed."},
    {CLASS_E_NOAGGREGATION, "This component cannot be part of another object."},
    {CO_E_NOTINITIALIZED, "The component system was not started for this program."},
    {MK_E_UNAVAILABLE, "The running object table is not available."},
    {MK_E_NOOBJECT, "No running object has that name."},
    {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "The file could not be found."},
    {HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), "The folder could not be found."},
    {HRESULT_FROM_WIN32(ERROR_NOT_READY), "The drive holds no readable disc yet."},
    {HRESULT_FROM_WIN32(ERROR_READ_FAULT), "Reading from the disc or file failed."},
    {HRESULT_FROM_WIN32(ERROR_GEN_FAILURE), "The device did not work as asked."},
    {HRESULT_FROM_WIN32(ERROR_TIMEOUT), "The operation took too long and was given up."},
    // Storage.
    {STG_E_INVALIDFUNCTION, "The storage cannot do that operation."},
    {STG_E_FILENOTFOUND, "The storage file could not be found."},
    {STG_E_PATHNOTFOUND, "The folder of the storage file could not be found."},
    {STG_E_ACCESSDENIED, "Access to the storage file was refused."},
    {STG_E_INVALIDPOINTER, "A pointer given to the storage is not valid."},
    {STG_E_WRITEFAULT, "Writing to the storage file failed."},
    {STG_E_READFAULT, "Reading from the storage file failed."},
    {STG_E_SHAREVIOLATION, "The storage file is in use elsewhere."},
    {STG_E_FILEALREADYEXISTS, "The storage file exists already."},
    {STG_E_INVALIDPARAMETER, "A value given to the storage is not valid."},
    {STG_E_MEDIUMFULL, "There is no space left for the storage file."},
    {STG_E_INVALIDHEADER, "The file is not a storage file this program can read."},
    {STG_E_INVALIDNAME, "That name cannot be used inside a storage file."},
    {STG_E_UNKNOWN, "The storage file failed for an unknown reason."},
    {STG_E_OLDFORMAT, "The storage file was written in a format that is no longer read."},
    // Media platform.
    {VFW_E_INVALIDMEDIATYPE, "The media type is not valid."},
    {VFW_E_INVALIDSUBTYPE, "The media subtype is not valid."},
    {VFW_E_NEED_OWNER, "This object only works as part of another object."},
    {VFW_E_ENUM_OUT_OF_SYNC, "The list changed while it was being walked; start the walk again."},
    {VFW_E_ALREADY_CONNECTED, "A pin taking part is connected already."},
    {VFW_E_FILTER_ACTIVE, "The filter is playing or paused; stop it first."},
    {VFW_E_NO_TYPES, "A pin offers no media types at all."},
    {VFW_E_NO_ACCEPTABLE_TYPES, "The two pins share no media type they both accept."},
    {VFW_E_INVALID_DIRECTION, "Two pins facing the same way cannot be connected."},
    {VFW_E_NOT_CONNECTED, "The pin has no connection."},
    {VFW_E_NO_ALLOCATOR, "No sample buffer provider is available."},
    {VFW_E_RUNTIME_ERROR, "An error happened while the stream was flowing."},
    {VFW_E_BUFFER_NOTSET, "No buffer has been given."},
    {VFW_E_BUFFER_OVERFLOW, "The data does not fit in the buffer."},
    {VFW_E_BADALIGN, "The buffer alignment asked for cannot be met."},
    {VFW_E_ALREADY_COMMITTED, "The buffers are committed already; change their size after releasing them."},
    {VFW_E_BUFFERS_OUTSTANDING, "Buffers are still in use elsewhere."},
    {VFW_E_NOT_COMMITTED, "The buffers have not been committed yet."},
    {VFW_E_SIZENOTSET, "The buffer size has not been set."},
    {VFW_E_NO_CLOCK, "There is no reference clock to keep time with."},
    {VFW_E_NO_SINK, "Nobody receives this filter's events."},
    {VFW_E_NO_INTERFACE, "A needed interface is missing."},
    {VFW_E_NOT_FOUND, "The item asked for is not there."},
    {VFW_E_CANNOT_CONNECT, "No way was found to connect these pins."},
    {VFW_E_CANNOT_RENDER, "No way was found to play this stream."},
    {VFW_E_CHANGING_FORMAT, "The format changed while the stream was flowing."},
    {VFW_E_NO_COLOR_KEY_SET, "No colour key has been set."},
    {VFW_E_NOT_OVERLAY_CONNECTION, "This connection does not draw through an overlay."},
    {VFW_E_NOT_SAMPLE_CONNECTION, "This connection does not pass samples."},
    {VFW_E_PALETTE_SET, "A palette has been set, so no colour key can be used."},
    {VFW_E_COLOR_KEY_SET, "A colour key has been set, so no palette can be used."},
    {VFW_E_NO_COLOR_KEY_FOUND, "No usable colour key could be found."},
    {VFW_E_NO_PALETTE_AVAILABLE, "No palette is available."},
    {VFW_E_NO_DISPLAY_PALETTE, "The screen does not use a palette."},
    {VFW_E_TOO_MANY_COLORS, "The picture uses more colours than the screen can show."},
    {VFW_E_STATE_CHANGED, "The play state changed while the operation was running."},
    {VFW_E_NOT_STOPPED, "Playback must be stopped for this."},
    {VFW_E_NOT_PAUSED, "Playback must be paused for this."},
    {VFW_E_NOT_RUNNING, "Playback must be running for this."},
    {VFW_E_WRONG_STATE, "The operation does not fit the current play state."},
    {VFW_E_START_TIME_AFTER_END, "The start time lies after the end time."},
    {VFW_E_INVALID_RECT, "The rectangle given is not valid."},
    {VFW_E_TYPE_NOT_ACCEPTED, "The pin does not take this media type."},
    {VFW_E_SAMPLE_REJECTED, "The sample was not taken."},
    {VFW_E_SAMPLE_REJECTED_EOS, "The sample came after the end of the stream and was not taken."},
    {VFW_E_DUPLICATE_NAME, "Another filter already has this name."},
    {VFW_S_DUPLICATE_NAME, "Another filter had this name, so a number was added to it."},
    {VFW_E_TIMEOUT, "The wait ran out of time."},
    {VFW_E_INVALID_FILE_FORMAT, "The file's format is not valid."},
    {VFW_E_ENUM_OUT_OF_RANGE, "The position lies past the end of the list."},
    {VFW_E_CIRCULAR_GRAPH, "The connection would make a loop in the graph."},
    {VFW_E_NOT_ALLOWED_TO_SAVE, "Saving is not allowed in this state."},
    {VFW_E_TIME_ALREADY_PASSED, "That moment has already gone by."},
    {VFW_E_ALREADY_CANCELLED, "This request was cancelled already."},
    {VFW_E_CORRUPT_GRAPH_FILE, "The saved graph file is damaged."},
    {VFW_E_ADVISE_ALREADY_SET, "A notification request is set already."},
    {VFW_S_STATE_INTERMEDIATE, "The change of play state has begun but is not finished yet."},
    {VFW_E_NO_MODEX_AVAILABLE, "The low-resolution full-screen mode is not available."},
    {VFW_E_NO_ADVISE_SET, "No notification request had been set."},
    {VFW_E_NO_FULLSCREEN, "Full-screen display is not available."},
    {VFW_E_IN_FULLSCREEN_MODE, "This cannot be done while the picture fills the screen."},
    {VFW_E_UNKNOWN_FILE_TYPE, "The kind of media in this file is not known."},
    {VFW_E_CANNOT_LOAD_SOURCE_FILTER, "The filter that reads this source could not be loaded."},
    {VFW_S_PARTIAL_RENDER, "Only some of the streams can be played."},
    {VFW_E_FILE_TOO_SHORT, "The file ends sooner than it should."},
    {VFW_E_INVALID_FILE_VERSION, "The file's version number is not valid."},
    {VFW_S_SOME_DATA_IGNORED, "Part of the data was not used."},
    {VFW_S_CONNECTIONS_DEFERRED, "Some connections were put off until later."},
    {VFW_E_INVALID_CLSID, "The class identifier is not valid."},
    {VFW_E_INVALID_MEDIA_TYPE, "The media type given cannot be used here."},
    {VFW_E_SAMPLE_TIME_NOT_SET, "The sample carries no time stamp."},
    {VFW_S_RESOURCE_NOT_NEEDED, "The resource was not needed."},
    {VFW_E_MEDIA_TIME_NOT_SET, "The sample carries no media time."},
    {VFW_E_NO_TIME_FORMAT_SET, "No time format has been chosen."},
    {VFW_E_MONO_AUDIO_HW, "The sound device plays one channel only, so balance cannot change."},
    {VFW_S_MEDIA_TYPE_IGNORED, "The media type given was not used."},
    {VFW_E_NO_DECOMPRESSOR, "No decoder was found for this stream."},
    {VFW_E_NO_AUDIO_HARDWARE, "No sound device is available."},
    {VFW_S_VIDEO_NOT_RENDERED, "The picture cannot be shown; the rest plays."},
    {VFW_S_AUDIO_NOT_RENDERED, "The sound cannot be played; the rest plays."},
    {VFW_E_RPZA, "This compressed video format cannot be played."},
    {VFW_E_PROCESSOR_NOT_SUITABLE, "This processor cannot play this media."},
    {VFW_E_UNSUPPORTED_AUDIO, "This sound format cannot be played."},
    {VFW_E_UNSUPPORTED_VIDEO, "This video format cannot be played."},
    {VFW_E_MPEG_NOT_CONSTRAINED, "The MPEG stream uses parameters outside the supported limits."},
    {VFW_E_NOT_IN_GRAPH, "The object is not part of a filter graph."},
    {VFW_S_ESTIMATED, "The value is an estimate."},
    {VFW_E_NO_TIME_FORMAT, "The object does not use any time format."},
    {VFW_E_READ_ONLY, "The value can be read but not changed."},
    {VFW_E_BUFFER_UNDERFLOW, "There is too little data in the buffer."},
    {VFW_E_UNSUPPORTED_STREAM, "This stream cannot be played."},
    {VFW_E_NO_TRANSPORT, "The pins have no common way to pass data."},
    {VFW_S_STREAM_OFF, "The stream is switched off."},
    {VFW_S_CANT_CUE, "The graph is paused but cannot show the first frame yet."},
    {VFW_E_BAD_VIDEOCD, "The video CD cannot be read properly."},
    {VFW_S_NO_STOP_TIME, "The sample has a start time but no end time."},
    {VFW_E_OUT_OF_VIDEO_MEMORY, "There is not enough video memory at this screen size and colour depth."},
    {VFW_E_VP_NEGOTIATION_FAILED, "The video port connection could not be agreed."},
    {VFW_E_DDRAW_CAPS_NOT_SUITABLE, "The graphics hardware lacks a feature this needs."},
    {VFW_E_NO_VP_HARDWARE, "No video port hardware is available."},
    {VFW_E_NO_CAPTURE_HARDWARE, "No capture hardware is available."},
    {VFW_E_DVD_OPERATION_INHIBITED, "The disc does not allow this operation at this point."},
    {VFW_E_DVD_INVALIDDOMAIN, "This operation does not apply to the part of the disc now playing."},
    {VFW_E_DVD_NO_BUTTON, "There is no menu button there, or the menu has no buttons."},
    {VFW_E_DVD_GRAPHNOTREADY, "The DVD playback graph has not been built yet."},
    {VFW_E_DVD_RENDERFAIL, "The DVD playback graph could not be built."},
    {VFW_E_DVD_DECNOTENOUGH, "Some of the disc's streams cannot be decoded with the decoders available."},
    {VFW_E_DDRAW_VERSION_NOT_SUITABLE, "The graphics system is too old for this."},
    {VFW_E_COPYPROT_FAILED, "The copy protection of the disc could not be set up."},
    {VFW_S_NOPREVIEWPIN, "There is no preview output; a capture output was used instead."},
    {VFW_E_TIME_EXPIRED, "The time allowed for this has run out."},
    {VFW_S_DVD_NON_ONE_SEQUENTIAL, "The title is not laid out as one sequence of chapters."},
    {VFW_E_DVD_WRONG_SPEED, "This cannot be done at the current playback speed."},
    {VFW_E_DVD_MENU_DOES_NOT_EXIST, "The disc has no such menu."},
    {VFW_E_DVD_CMD_CANCELLED, "The disc command was cancelled."},
    {VFW_E_DVD_STATE_WRONG_VERSION, "The saved playback point comes from another program version."},
    {VFW_E_DVD_STATE_CORRUPT, "The saved playback point is damaged."},
    {VFW_E_DVD_STATE_WRONG_DISC, "The saved playback point belongs to another disc."},
    {VFW_E_DVD_INCOMPATIBLE_REGION, "The disc's region does not match the player's region."},
    {VFW_E_DVD_NO_ATTRIBUTES, "The disc gives no attributes for this stream."},
    {VFW_E_DVD_NO_GOUP_PGC, "There is no program chain to go up to."},
    {VFW_E_DVD_LOW_PARENTAL_LEVEL, "The parental level is set too low for this content."},
    {VFW_E_DVD_NOT_IN_KARAOKE_MODE, "The audio is not in karaoke mode."},
    {VFW_S_DVD_CHANNEL_CONTENTS_NOT_AVAILABLE, "The contents of the audio channels are not known."},
    {VFW_S_DVD_NOT_ACCURATE, "The position reached is only close to the one asked for."},
    {VFW_E_FRAME_STEP_UNSUPPORTED, "Stepping one frame at a time is not possible here."},
    {VFW_E_DVD_STREAM_DISABLED, "That stream is switched off on this disc."},
    {VFW_E_DVD_TITLE_UNKNOWN, "The title cannot be identified."},
    {VFW_E_DVD_INVALID_DISC, "The disc is not a valid DVD-Video disc."},
    {VFW_E_DVD_NO_RESUME_INFORMATION, "There is no playback point to resume from."},
};

const char *FindText(HRESULT hr) {
  for (const ErrorText &e : kTexts)
    if (e.code == hr) return e.text;
  return nullptr;
}

} // namespace

DWORD AMGetErrorTextA(HRESULT hr, char *buffer, DWORD maxLength) {
  if (!buffer || maxLength == 0) return 0;
  char generic[48];
  const char *text = FindText(hr);
  if (!text) {
    std::snprintf(generic, sizeof generic, "%s 0x%08X.", SUCCEEDED(hr) ? "Unknown result" : "Unknown error",
                  static_cast<unsigned>(hr));
    text = generic;
  }
  // maxLength counts characters; the buffer holds them plus the terminating zero.
  DWORD length = static_cast<DWORD>(std::min<std::size_t>(std::strlen(text), maxLength));
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return length;
}
