// Object persistence, storage, monikers, site and service interfaces.
#pragma once

#include "com/registry.h"
#include "com/unknown.h"

struct STATSTG;
struct IEnumSTATSTG;
struct IBindCtx;
struct IErrorLog;
struct VARIANT;

using LARGE_INTEGER = LONGLONG;
using ULARGE_INTEGER = ULONGLONG;

constexpr DWORD STGM_READ = 0x0;
constexpr DWORD STGM_WRITE = 0x1;
constexpr DWORD STGM_READWRITE = 0x2;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x40;
constexpr DWORD STGM_SHARE_DENY_READ = 0x30;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x20;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
constexpr DWORD STGM_CREATE = 0x1000;
constexpr DWORD STGM_DIRECT = 0x0;
constexpr DWORD STGM_TRANSACTED = 0x10000;

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

constexpr HRESULT STG_E_INVALIDFUNCTION = MakeHResult(0x80030001u);
constexpr HRESULT STG_E_FILENOTFOUND = MakeHResult(0x80030002u);
constexpr HRESULT STG_E_PATHNOTFOUND = MakeHResult(0x80030003u);
constexpr HRESULT STG_E_ACCESSDENIED = MakeHResult(0x80030005u);
constexpr HRESULT STG_E_INVALIDPOINTER = MakeHResult(0x80030009u);
constexpr HRESULT STG_E_WRITEFAULT = MakeHResult(0x8003001Du);
constexpr HRESULT STG_E_READFAULT = MakeHResult(0x8003001Eu);
constexpr HRESULT STG_E_SHAREVIOLATION = MakeHResult(0x80030020u);
constexpr HRESULT STG_E_FILEALREADYEXISTS = MakeHResult(0x80030050u);
constexpr HRESULT STG_E_INVALIDPARAMETER = MakeHResult(0x80030057u);
constexpr HRESULT STG_E_MEDIUMFULL = MakeHResult(0x80030070u);
constexpr HRESULT STG_E_INVALIDHEADER = MakeHResult(0x800300FBu);
constexpr HRESULT STG_E_INVALIDNAME = MakeHResult(0x800300FCu);
constexpr HRESULT STG_E_UNKNOWN = MakeHResult(0x800300FDu);
constexpr HRESULT STG_E_OLDFORMAT = MakeHResult(0x80030104u);
constexpr HRESULT STG_E_INVALIDFLAG = MakeHResult(0x800300FFu);
constexpr HRESULT STG_E_REVERTED = MakeHResult(0x80030102u);

QDVD_DECLARE_IID(ISequentialStream, 0x0c733a30, 0x2a1c, 0x11ce, 0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d)
struct ISequentialStream : IUnknown {
  virtual HRESULT Read(void *buffer, ULONG size, ULONG *read) = 0;
  virtual HRESULT Write(const void *buffer, ULONG size, ULONG *written) = 0;
};

QDVD_DECLARE_IID(IStream, 0x0000000C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
struct IStream : ISequentialStream {
  virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *newPosition) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER size) = 0;
  virtual HRESULT Commit(DWORD flags) = 0;
};

QDVD_DECLARE_IID(IStorage, 0x0000000B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
struct IStorage : IUnknown {
  virtual HRESULT CreateStream(LPCWSTR name, DWORD mode, DWORD reserved1, DWORD reserved2, IStream **stream) = 0;
  virtual HRESULT OpenStream(LPCWSTR name, void *reserved1, DWORD mode, DWORD reserved2, IStream **stream) = 0;
  virtual HRESULT Commit(DWORD flags) = 0;
  // Drops what was written since the storage was created or last committed.
  virtual HRESULT Revert() = 0;
};

QDVD_DECLARE_IID(IPersist, 0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
struct IPersist : IUnknown {
  virtual HRESULT GetClassID(CLSID *clsid) = 0;
};

QDVD_DECLARE_IID(IPersistStream, 0x00000109, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
struct IPersistStream : IPersist {
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(IStream *stream) = 0;
  virtual HRESULT Save(IStream *stream, BOOL clearDirty) = 0;
  virtual HRESULT GetSizeMax(ULARGE_INTEGER *size) = 0;
};

QDVD_DECLARE_IID(IMoniker, 0x0000000F, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
struct IMoniker : IPersistStream {
  virtual HRESULT BindToObject(IBindCtx *context, IMoniker *left, REFIID iid, void **object) = 0;
  virtual HRESULT BindToStorage(IBindCtx *context, IMoniker *left, REFIID iid, void **object) = 0;
  // The moniker's display text (task memory, freed with CoTaskMemFree).
  virtual HRESULT GetDisplayName(IBindCtx *context, IMoniker *left, LPWSTR *name) = 0;
};

QDVD_DECLARE_IID(IRunningObjectTable, 0x00000010, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
struct IRunningObjectTable : IUnknown {
  virtual HRESULT Register(DWORD flags, IUnknown *object, IMoniker *name, DWORD *cookie) = 0;
  virtual HRESULT Revoke(DWORD cookie) = 0;
  virtual HRESULT IsRunning(IMoniker *name) = 0;
  virtual HRESULT GetObject(IMoniker *name, IUnknown **object) = 0;
};

// A property bag holds named text values in this platform (no VARIANT zoo).
QDVD_DECLARE_IID(IPropertyBag, 0x55272A00, 0x42CB, 0x11CE, 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51)
struct IPropertyBag : IUnknown {
  // Reads a text property; *value is a BSTR the caller frees with SysFreeString.
  virtual HRESULT Read(LPCWSTR name, BSTR *value, IErrorLog *log) = 0;
  virtual HRESULT Write(LPCWSTR name, LPCWSTR value) = 0;
};

QDVD_DECLARE_IID(IServiceProvider, 0x6D5140C1, 0x7436, 0x11CE, 0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA)
struct IServiceProvider : IUnknown {
  virtual HRESULT QueryService(REFGUID service, REFIID iid, void **object) = 0;
};

QDVD_DECLARE_IID(IObjectWithSite, 0xFC4801A3, 0x2BA9, 0x11CF, 0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52)
struct IObjectWithSite : IUnknown {
  virtual HRESULT SetSite(IUnknown *site) = 0;
  virtual HRESULT GetSite(REFIID iid, void **site) = 0;
};
