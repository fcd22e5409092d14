// The two interfaces between the filter graph component and the components that join
// its graph: a member contributes a filter and hears about its life in the graph; a
// listener hears every raw graph event and the component's control notifications.
//
// Implementers use component-style reference counting: AddRef and Release do not
// own, and the component's lists keep plain pointers. A member or listener removes
// itself from the component before it goes away.
#pragma once

#include "dshow/strmif.h"

#include <QString>

// MemberNotify operations (the parameter is always 0).
enum : LONG {
  moBeforeAdd = 0,    // the member's filter is about to be added to the graph
  moAfterAdd = 1,     // it has been added
  moBeforeRemove = 2, // it is about to be removed
  moAfterRemove = 3,  // it has been removed
};

// ControlNotify codes (3 and 4 are never sent).
enum : LONG {
  ccPlay = 0,         // before the graph runs
  ccPause = 1,        // before the graph pauses
  ccStop = 2,         // before the graph stops
  ccDvdRendering = 5, // before a DVD volume is rendered (parameter: the rendering flags)
  ccDvdRendered = 6,  // after a DVD volume was rendered with S_OK or S_FALSE (the flags)
  ccActive = 7,       // 1 after activation, 0 before deactivation
};

QDVD_DECLARE_IID(IGraphMember, 0x887F94DA, 0x29E9, 0x44C6, 0xB4, 0x8E, 0x1F, 0xBF, 0x0F, 0xB5, 0x98, 0x78)
struct IGraphMember : IUnknown {
  // The filter the member contributes (may be empty); a counted reference.
  virtual ComPtr<IBaseFilter> MemberFilter() = 0;
  // The name the filter is added under.
  virtual QString MemberName() = 0;
  virtual void MemberNotify(LONG operation, LONG param) = 0;
};

QDVD_DECLARE_IID(IGraphListener, 0x6C0DCD7B, 0x1A98, 0x44EF, 0xA6, 0xD5, 0xE2, 0x3C, 0xBC, 0x24, 0xE6, 0x20)
struct IGraphListener : IUnknown {
  // Every event fetched from the graph, before the component dispatches it. The
  // parameters are pointer-sized: some events carry interface or string pointers.
  virtual void GraphNotify(LONG event, LONG_PTR param1, LONG_PTR param2) = 0;
  virtual void ControlNotify(LONG code, LONG param) = 0;
};
