#include "dvd/state_record.h"

#include "dshow/errors.h"

namespace dvd {
namespace {

class Writer {
public:
  explicit Writer(std::vector<BYTE> &out) : out_(out) {}
  template <class T> void Put(T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) out_.push_back(static_cast<BYTE>(static_cast<ULONGLONG>(value) >> (8 * i)));
  }

private:
  std::vector<BYTE> &out_;
};

class Reader {
public:
  Reader(const BYTE *data, std::size_t size) : data_(data), size_(size) {}
  template <class T> T Get() {
    ULONGLONG v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
      if (pos_ + i < size_) v |= static_cast<ULONGLONG>(data_[pos_ + i]) << (8 * i);
    pos_ += sizeof(T);
    return static_cast<T>(v);
  }

private:
  const BYTE *data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

bool Valid(const StateRecord &s) {
  if (s.domain < 1 || s.domain > 5) return false;
  const bool inTitle = s.domain == 4;
  if (inTitle && (s.title < 1 || s.title > 99 || s.chapter < 1 || s.chapter > 999 || s.pgcn < 1 || s.pgn < 1))
    return false;
  if (!inTitle && s.title > 99) return false;
  if (s.time90k < media::Ticks90k() || s.time90k > media::Ticks90k(24LL * 3600 * media::Ticks90k::kPerSecond)) return false;
  if (s.audio > 7 && s.audio != 15) return false;
  if ((s.subpicture & 0x3F) > 31 && (s.subpicture & 0x3F) != 62 && (s.subpicture & 0x3F) != 63) return false;
  if (s.subpicture & 0x80) return false;
  if (s.angle < 1 || s.angle > 9) return false;
  if ((s.parentalLevel < 1 || s.parentalLevel > 8) && s.parentalLevel != 15) return false;
  if (s.menu > 7) return false;
  return true;
}
} // namespace

DWORD Crc32(const BYTE *data, std::size_t size) {
  DWORD crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::vector<BYTE> SerializeState(const StateRecord &s) {
  std::vector<BYTE> out;
  out.reserve(kStateRecordSize);
  Writer w(out);
  w.Put<DWORD>(kStateMagic);
  w.Put<WORD>(kStateVersion);
  w.Put<WORD>(static_cast<WORD>(kStatePayloadSize));
  w.Put<ULONGLONG>(s.discId);
  w.Put<BYTE>(s.domain);
  w.Put<BYTE>(s.title);
  w.Put<WORD>(s.chapter);
  w.Put<WORD>(s.pgcn);
  w.Put<WORD>(s.pgn);
  w.Put<ULONGLONG>(static_cast<ULONGLONG>(s.time90k.ticks()));
  w.Put<DWORD>(s.pgcSector);
  w.Put<BYTE>(s.audio);
  w.Put<BYTE>(s.subpicture);
  w.Put<BYTE>(s.angle);
  w.Put<BYTE>(s.parentalLevel);
  w.Put<BYTE>(s.menu);
  w.Put<BYTE>(0);
  w.Put<DWORD>(Crc32(out.data(), out.size()));
  return out;
}

HRESULT ParseStateHeader(const BYTE *data, std::size_t size, std::size_t *recordSize) {
  if (!data || size < kStateHeaderSize) return VFW_E_DVD_STATE_CORRUPT;
  Reader r(data, size);
  if (r.Get<DWORD>() != kStateMagic) return VFW_E_DVD_STATE_CORRUPT;
  WORD version = r.Get<WORD>();
  WORD payload = r.Get<WORD>();
  if (version != kStateVersion) return VFW_E_DVD_STATE_WRONG_VERSION;
  if (payload != kStatePayloadSize) return VFW_E_DVD_STATE_CORRUPT;
  *recordSize = kStateRecordSize;
  return S_OK;
}

HRESULT ParseState(const BYTE *data, std::size_t size, StateRecord *state) {
  std::size_t recordSize = 0;
  HRESULT hr = ParseStateHeader(data, size, &recordSize);
  if (FAILED(hr)) return hr;
  if (size < recordSize) return VFW_E_DVD_STATE_CORRUPT;
  Reader crc(data + recordSize - 4, 4);
  if (crc.Get<DWORD>() != Crc32(data, recordSize - 4)) return VFW_E_DVD_STATE_CORRUPT;
  Reader r(data + kStateHeaderSize, kStatePayloadSize);
  StateRecord s;
  s.discId = r.Get<ULONGLONG>();
  s.domain = r.Get<BYTE>();
  s.title = r.Get<BYTE>();
  s.chapter = r.Get<WORD>();
  s.pgcn = r.Get<WORD>();
  s.pgn = r.Get<WORD>();
  s.time90k = media::Ticks90k(static_cast<LONGLONG>(r.Get<ULONGLONG>()));
  s.pgcSector = r.Get<DWORD>();
  s.audio = r.Get<BYTE>();
  s.subpicture = r.Get<BYTE>();
  s.angle = r.Get<BYTE>();
  s.parentalLevel = r.Get<BYTE>();
  s.menu = r.Get<BYTE>();
  if (r.Get<BYTE>() != 0) return VFW_E_DVD_STATE_CORRUPT;
  if (!Valid(s)) return VFW_E_DVD_STATE_CORRUPT;
  *state = s;
  return S_OK;
}

} // namespace dvd
