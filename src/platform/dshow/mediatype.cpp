#include "dshow/strmif.h"

#include <cstring>

void FreeMediaType(AM_MEDIA_TYPE &mt) {
  if (mt.pbFormat) CoTaskMemFree(mt.pbFormat);
  mt.pbFormat = nullptr;
  mt.cbFormat = 0;
  if (mt.pUnk) mt.pUnk->Release();
  mt.pUnk = nullptr;
}

void DeleteMediaType(AM_MEDIA_TYPE *mt) {
  if (!mt) return;
  FreeMediaType(*mt);
  CoTaskMemFree(mt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE *target, const AM_MEDIA_TYPE *source) {
  if (!target || !source) return E_POINTER;
  if (target == source) return S_OK;
  BYTE *format = nullptr;
  if (source->cbFormat && source->pbFormat) {
    format = static_cast<BYTE *>(CoTaskMemAlloc(source->cbFormat));
    if (!format) return E_OUTOFMEMORY;
    std::memcpy(format, source->pbFormat, source->cbFormat);
  }
  *target = *source;
  target->pbFormat = format;
  if (!format) target->cbFormat = 0;
  if (target->pUnk) target->pUnk->AddRef();
  return S_OK;
}

AM_MEDIA_TYPE *CreateMediaType(const AM_MEDIA_TYPE *source) {
  if (!source) return nullptr;
  auto *mt = static_cast<AM_MEDIA_TYPE *>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (!mt) return nullptr;
  if (FAILED(CopyMediaType(mt, source))) {
    CoTaskMemFree(mt);
    return nullptr;
  }
  return mt;
}
