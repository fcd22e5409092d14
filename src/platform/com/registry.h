// In-process class registry behind CoCreateInstance.
#pragma once

#include "com/unknown.h"

#include <functional>

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

// Creates one object of a class and queries it for the asked interface.
using ClassFactoryFn = std::function<HRESULT(REFIID iid, void **object)>;

// Registers the platform's real classes (graph manager, DVD builder, renderers…).
// Safe to call more than once.
HRESULT CoInitialize(void *reserved);
void CoUninitialize();

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown *outer, DWORD context, REFIID iid, void **object);

// Adds or replaces the factory of a class; returns the one it replaced (may be empty).
ClassFactoryFn CoRegisterClassFactory(REFCLSID clsid, ClassFactoryFn factory);
// Removes a class; later creations fail with REGDB_E_CLASSNOTREG.
ClassFactoryFn CoRevokeClassFactory(REFCLSID clsid);
bool CoIsClassRegistered(REFCLSID clsid);

// Test seam: replaces a class for the life of the scope (an empty factory makes the
// class unavailable) and restores what was registered before when it ends.
class ScopedClassRegistration {
public:
  ScopedClassRegistration(REFCLSID clsid, ClassFactoryFn factory);
  ~ScopedClassRegistration();
  ScopedClassRegistration(const ScopedClassRegistration &) = delete;
  ScopedClassRegistration &operator=(const ScopedClassRegistration &) = delete;

private:
  CLSID clsid_;
  ClassFactoryFn previous_;
  bool hadPrevious_;
};

// Task memory and length-prefixed strings, as the platform hands them out.
void *CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void *p);
using BSTR = WCHAR *;
BSTR SysAllocString(const WCHAR *s);
BSTR SysAllocStringLen(const WCHAR *s, UINT length);
void SysFreeString(BSTR s);
UINT SysStringLen(BSTR s);
