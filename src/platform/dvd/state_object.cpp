#include "dvd/state_object.h"

#include "dshow/errors.h"
#include "dshow/uuids.h"

#include <algorithm>
#include <cstring>

namespace dvd {

HRESULT StateObject::Create(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto *obj = new (std::nothrow) StateObject();
  if (!obj) return E_OUTOFMEMORY;
  HRESULT hr = obj->QueryInterface(iid, object);
  obj->Release();
  return hr;
}

HRESULT StateObject::CreateFrom(const StateRecord &record, IDvdState **state) {
  if (!state) return E_POINTER;
  *state = nullptr;
  auto *obj = new (std::nothrow) StateObject();
  if (!obj) return E_OUTOFMEMORY;
  obj->record_ = record;
  *state = obj;
  return S_OK;
}

HRESULT StateObject::QueryInterface(REFIID iid, void **object) {
  return QueryFrom<IDvdState, IPersist, IPersistStream>(iid, object);
}

HRESULT StateObject::GetDiscID(ULONGLONG *id) {
  if (!id) return E_POINTER;
  if (!record_) return E_UNEXPECTED;
  *id = record_->discId;
  return S_OK;
}

HRESULT StateObject::GetParentalLevel(ULONG *level) {
  if (!level) return E_POINTER;
  if (!record_) return E_UNEXPECTED;
  *level = record_->parentalLevel;
  return S_OK;
}

HRESULT StateObject::GetClassID(CLSID *clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_DVDState;
  return S_OK;
}

HRESULT StateObject::IsDirty() { return S_FALSE; }

HRESULT StateObject::Load(IStream *stream) {
  if (!stream) return E_POINTER;
  BYTE buffer[kStateRecordSize];
  ULONG got = 0;
  if (FAILED(stream->Read(buffer, kStateHeaderSize, &got)) || got != kStateHeaderSize) return VFW_E_DVD_STATE_CORRUPT;
  std::size_t size = 0;
  HRESULT hr = ParseStateHeader(buffer, kStateHeaderSize, &size);
  if (FAILED(hr)) return hr;
  const ULONG rest = static_cast<ULONG>(size - kStateHeaderSize);
  if (FAILED(stream->Read(buffer + kStateHeaderSize, rest, &got)) || got != rest) return VFW_E_DVD_STATE_CORRUPT;
  StateRecord record;
  hr = ParseState(buffer, size, &record);
  if (FAILED(hr)) return hr;
  record_ = record;
  return S_OK;
}

HRESULT StateObject::Save(IStream *stream, BOOL) {
  if (!stream) return E_POINTER;
  if (!record_) return E_UNEXPECTED;
  std::vector<BYTE> bytes = SerializeState(*record_);
  ULONG written = 0;
  HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  if (FAILED(hr)) return hr;
  return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT StateObject::GetSizeMax(ULARGE_INTEGER *size) {
  if (!size) return E_POINTER;
  *size = kStateRecordSize;
  return S_OK;
}

HRESULT RecordFromState(IDvdState *state, StateRecord *record) {
  if (!state) return E_POINTER;
  ComPtr<IPersistStream> persist;
  if (FAILED(state->QueryInterface(&persist)) || !persist) return VFW_E_DVD_STATE_CORRUPT;
  ComPtr<MemoryStream> stream = MemoryStream::Create();
  if (FAILED(persist->Save(stream.Get(), FALSE))) return VFW_E_DVD_STATE_CORRUPT;
  return ParseState(stream->Bytes().data(), stream->Bytes().size(), record);
}

// --- MemoryStream -------------------------------------------------------------------

ComPtr<MemoryStream> MemoryStream::Create(std::vector<BYTE> initial) {
  ComPtr<MemoryStream> s;
  s.Attach(new MemoryStream());
  s->data_ = std::move(initial);
  return s;
}

HRESULT MemoryStream::QueryInterface(REFIID iid, void **object) {
  return QueryFrom<ISequentialStream, IStream>(iid, object);
}

HRESULT MemoryStream::Read(void *buffer, ULONG size, ULONG *read) {
  if (!buffer && size) return STG_E_INVALIDPOINTER;
  std::size_t n = pos_ < data_.size() ? std::min<std::size_t>(size, data_.size() - pos_) : 0;
  if (n) std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  if (read) *read = static_cast<ULONG>(n);
  return n == size ? S_OK : S_FALSE;
}

HRESULT MemoryStream::Write(const void *buffer, ULONG size, ULONG *written) {
  if (!buffer && size) return STG_E_INVALIDPOINTER;
  if (pos_ + size > data_.size()) data_.resize(pos_ + size);
  if (size) std::memcpy(data_.data() + pos_, buffer, size);
  pos_ += size;
  if (written) *written = size;
  return S_OK;
}

HRESULT MemoryStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *newPosition) {
  LONGLONG base = origin == STREAM_SEEK_SET ? 0
                  : origin == STREAM_SEEK_CUR ? static_cast<LONGLONG>(pos_)
                  : origin == STREAM_SEEK_END ? static_cast<LONGLONG>(data_.size())
                                              : -1;
  if (base < 0) return STG_E_INVALIDFUNCTION;
  LONGLONG target = base + move;
  if (target < 0) return STG_E_INVALIDFUNCTION;
  pos_ = static_cast<std::size_t>(target);
  if (newPosition) *newPosition = static_cast<ULARGE_INTEGER>(pos_);
  return S_OK;
}

HRESULT MemoryStream::SetSize(ULARGE_INTEGER size) {
  data_.resize(static_cast<std::size_t>(size));
  return S_OK;
}

HRESULT MemoryStream::Commit(DWORD) { return S_OK; }

} // namespace dvd
