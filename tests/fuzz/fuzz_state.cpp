// libFuzzer target: bookmark records, through the parser and through a state
// object's IPersistStream::Load. Whatever loads must save back the same bytes.
#include "dshow/errors.h"
#include "dvd/state_object.h"
#include "dvd/state_record.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  dvd::StateRecord record;
  HRESULT parsed = dvd::ParseState(data, size, &record);
  if (parsed != S_OK && parsed != VFW_E_DVD_STATE_CORRUPT && parsed != VFW_E_DVD_STATE_WRONG_VERSION) std::abort();

  ComPtr<IPersistStream> state;
  if (FAILED(dvd::StateObject::Create(IID_IPersistStream, reinterpret_cast<void **>(state.ReleaseAndGetAddressOf()))))
    std::abort();
  ComPtr<dvd::MemoryStream> in = dvd::MemoryStream::Create(std::vector<BYTE>(data, data + size));
  HRESULT loaded = state->Load(in.Get());
  if (SUCCEEDED(loaded) != SUCCEEDED(parsed) && size >= dvd::kStateRecordSize) std::abort();
  if (SUCCEEDED(loaded)) {
    ComPtr<dvd::MemoryStream> out = dvd::MemoryStream::Create();
    if (FAILED(state->Save(out.Get(), FALSE))) std::abort();
    if (out->Bytes().size() != dvd::kStateRecordSize || std::memcmp(out->Bytes().data(), data, dvd::kStateRecordSize))
      std::abort();
  }
  return 0;
}
