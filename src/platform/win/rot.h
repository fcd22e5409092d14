// The running object table and item monikers.
//
// A registration is published for other processes on the user's session bus: the
// process owns the name RunningObjectBusName() while it holds registrations, and each
// one is an object under RunningObjectPathRoot() whose DisplayName is the moniker's
// display name and whose read-only methods describe the registered object (see
// running_objects.h). Without a reachable session bus GetRunningObjectTable fails.
// A process that ends, crash included, leaves nothing behind: the bus drops its names.
//
// The table belongs to the GUI thread (the bus dispatches the describing calls there).
#pragma once

#include "com/objidl.h"

#include <string>

constexpr HRESULT MK_E_NOSTORAGE = MakeHResult(0x800401EDu);
constexpr HRESULT MK_S_MONIKERALREADYREGISTERED = MakeHResult(0x000401E7u);

// The process's table (not counted: it lives as long as the process). MK_E_UNAVAILABLE
// when no session bus can be reached.
HRESULT GetRunningObjectTable(DWORD reserved, IRunningObjectTable **table);

// A moniker whose display name is delimiter + item. BindToObject finds the object
// registered under that name in this process's table.
HRESULT CreateItemMoniker(LPCWSTR delimiter, LPCWSTR item, IMoniker **moniker);

// The session bus name of this process's table and the path under which its entries
// live ("<root>/<cookie>"; the root object lists them).
std::string RunningObjectBusName();
const char *RunningObjectPathRoot();
