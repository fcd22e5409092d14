// libFuzzer target: compound files (bookmark files), through StgOpenStorage and the
// streams it hands out, read the way the bookmark restore reads them and then some:
// the bookmark stream and a few other names opened, each read to its end in pieces of
// changing size, sought to the end, the start and back, its class read. The bytes are
// the file, given to the reader under a /proc/self/fd name of an in-memory file.
#include "win/storage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The in-memory file, made once and rewritten for each input.
const char16_t *FileName(const uint8_t *data, size_t size) {
  static int fd = -1;
  static char16_t name[64];
  if (fd < 0) {
    fd = memfd_create("fuzz_storage", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    char narrow[64];
    std::snprintf(narrow, sizeof narrow, "/proc/self/fd/%d", fd);
    for (int i = 0; i < 64; ++i) name[i] = static_cast<char16_t>(narrow[i]);
  }
  if (ftruncate(fd, 0) != 0) std::abort();
  size_t at = 0;
  while (at < size) {
    const ssize_t n = pwrite(fd, data + at, size - at, static_cast<off_t>(at));
    if (n <= 0) std::abort();
    at += static_cast<size_t>(n);
  }
  return name;
}

void Walk(IStream *stream, const uint8_t *data, size_t size) {
  // Piece sizes taken from the input, so that short and long reads both happen.
  static uint8_t buffer[70000];
  ULONG total = 0;
  for (size_t i = 0;; ++i) {
    const ULONG want = size ? 1u + (data[i % size] * 257u + static_cast<ULONG>(i)) % sizeof buffer : 4096;
    ULONG got = 0xFFFFFFFF;
    const HRESULT hr = stream->Read(buffer, want, &got);
    if (FAILED(hr)) {
      if (got != 0) std::abort();
      break;
    }
    if (got > want) std::abort();
    total += got;
    if (got == 0 || total > (1u << 28)) break;
  }
  ULARGE_INTEGER end = 0, start = 1;
  if (SUCCEEDED(stream->Seek(0, STREAM_SEEK_END, &end)) && end < total) std::abort();
  if (SUCCEEDED(stream->Seek(0, STREAM_SEEK_SET, &start)) && start != 0) std::abort();
  CLSID clsid{};
  ReadClassStm(stream, &clsid);
  ULARGE_INTEGER at = 0;
  stream->Seek(-1, STREAM_SEEK_CUR, &at);
  stream->Seek(static_cast<LARGE_INTEGER>(end) + 1, STREAM_SEEK_SET, &at);
  ULONG got = 0;
  stream->Read(buffer, 16, &got);
  if (stream->Write(buffer, 1, &got) != STG_E_ACCESSDENIED || got != 0) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char16_t *name = FileName(data, size);
  ComPtr<IStorage> storage;
  const HRESULT opened = StgOpenStorage(name, nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0, &storage);
  if (FAILED(opened)) {
    if (storage) std::abort();
    return 0;
  }
  if (!storage) std::abort();
  ComPtr<IStream> created;
  if (storage->CreateStream(u"BookMark", STGM_CREATE | STGM_WRITE, 0, 0, &created) != STG_E_ACCESSDENIED || created)
    std::abort();
  for (const char16_t *streamName : {u"BookMark", u"Root Entry", u"\x05SummaryInformation", u"B"}) {
    ComPtr<IStream> stream;
    if (FAILED(storage->OpenStream(streamName, nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, &stream))) {
      if (stream) std::abort();
      continue;
    }
    if (!stream) std::abort();
    Walk(stream.Get(), data, size);
    // A second stream on the same entry, read while the first is still held.
    ComPtr<IStream> again;
    if (SUCCEEDED(storage->OpenStream(streamName, nullptr, STGM_READ, 0, &again)) && again)
      Walk(again.Get(), data, size);
  }
  return 0;
}
