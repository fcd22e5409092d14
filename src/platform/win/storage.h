// Compound files (structured storage): a root storage holding named streams, in the
// compound-file format other programs read; and object persistence through streams.
//
// Only root-level streams are offered, in direct mode:
// - StgCreateDocfile writes a new file. It is written under a temporary name in the
//   same folder and takes the given name, replacing what was there, when the storage
//   and its streams are all released, provided every write succeeded. A failed write,
//   a failed flush to the disk or Revert leave an earlier file of that name untouched.
//   Commit has nothing to do (direct mode).
//   Modes: STGM_WRITE or STGM_READWRITE; STGM_CREATE replaces an existing file,
//   without it an existing file gives STG_E_FILEALREADYEXISTS. Share flags are taken.
// - StgOpenStorage reads a file (STGM_READ only): STG_E_FILENOTFOUND, STG_E_ACCESSDENIED,
//   STG_E_FILEALREADYEXISTS when the file is not a compound file (or one with a
//   damaged directory that the reader would mishandle).
// - IStorage::CreateStream (write storages; STG_E_FILEALREADYEXISTS for a name already
//   created) and OpenStream (read storages; STG_E_FILENOTFOUND) take stream names of 1
//   to 31 characters.
// - Streams: Read gives S_OK and what there is (fewer bytes at the end); Write on a
//   read stream gives STG_E_ACCESSDENIED, a failing write STG_E_MEDIUMFULL or
//   STG_E_WRITEFAULT; Seek on write streams only moves to the end.
// GUI thread (or any one thread per storage).
#pragma once

#include "com/objidl.h"

using SNB = LPWSTR *;

HRESULT StgCreateDocfile(LPCWSTR name, DWORD mode, DWORD reserved, IStorage **storage);
HRESULT StgOpenStorage(LPCWSTR name, IStorage *priority, DWORD mode, SNB exclude, DWORD reserved,
                       IStorage **storage);

// The class identifier as 16 bytes: Data1, Data2, Data3 little-endian, then Data4.
HRESULT WriteClassStm(IStream *stream, REFCLSID clsid);
// STG_E_READFAULT when fewer than 16 bytes are left.
HRESULT ReadClassStm(IStream *stream, CLSID *clsid);

// The object's class identifier, then its state (IPersistStream::Save).
HRESULT OleSaveToStream(IPersistStream *object, IStream *stream);
// Creates an object of the stored class, loads its state and hands out `iid`. Fails
// with the first failure: reading the class, creating the object (REGDB_E_CLASSNOTREG
// for a class nobody registered), its IPersistStream, Load, the interface.
HRESULT OleLoadFromStream(IStream *stream, REFIID iid, void **object);
