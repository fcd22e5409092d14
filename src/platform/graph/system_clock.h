// The system reference clock: monotonic time in 100-ns units since an arbitrary
// start. The graph's sync source unless a filter offers a clock of its own.
#pragma once

#include "dshow/strmif.h"

namespace graph {

class SystemClock final : public ComObject<IReferenceClock> {
public:
  static ComPtr<IReferenceClock> Create();
  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT GetTime(REFERENCE_TIME *time) override;
};

} // namespace graph
