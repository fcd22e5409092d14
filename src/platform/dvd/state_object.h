// Bookmark objects (CLSID_DVDState): IDvdState over a StateRecord, persisted through
// IPersistStream as the versioned record of state_record.h. Also a growable
// in-memory IStream, used to read a state object's record.
#pragma once

#include "dshow/dvd.h"
#include "dvd/state_record.h"

#include <optional>
#include <vector>

namespace dvd {

class StateObject : public ComObject<IDvdState, IPersistStream> {
public:
  static HRESULT Create(REFIID iid, void **object);
  static HRESULT CreateFrom(const StateRecord &record, IDvdState **state);

  HRESULT QueryInterface(REFIID iid, void **object) override;
  // IDvdState
  HRESULT GetDiscID(ULONGLONG *id) override;
  HRESULT GetParentalLevel(ULONG *level) override;
  // IPersistStream
  HRESULT GetClassID(CLSID *clsid) override;
  HRESULT IsDirty() override;
  HRESULT Load(IStream *stream) override;
  HRESULT Save(IStream *stream, BOOL clearDirty) override;
  HRESULT GetSizeMax(ULARGE_INTEGER *size) override;

private:
  StateObject() = default;
  std::optional<StateRecord> record_;
};

// The record behind any state object that persists itself in this format.
HRESULT RecordFromState(IDvdState *state, StateRecord *record);

class MemoryStream : public ComObject<IStream> {
public:
  static ComPtr<MemoryStream> Create(std::vector<BYTE> initial = {});
  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT Read(void *buffer, ULONG size, ULONG *read) override;
  HRESULT Write(const void *buffer, ULONG size, ULONG *written) override;
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *newPosition) override;
  HRESULT SetSize(ULARGE_INTEGER size) override;
  HRESULT Commit(DWORD flags) override;
  const std::vector<BYTE> &Bytes() const { return data_; }

private:
  MemoryStream() = default;
  std::vector<BYTE> data_;
  std::size_t pos_ = 0;
};

} // namespace dvd
