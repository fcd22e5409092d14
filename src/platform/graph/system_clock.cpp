#include "graph/system_clock.h"

#include <chrono>

namespace graph {

ComPtr<IReferenceClock> SystemClock::Create() {
  ComPtr<IReferenceClock> clock;
  clock.Attach(new SystemClock);
  return clock;
}

HRESULT SystemClock::QueryInterface(REFIID iid, void **object) { return QueryFrom<IReferenceClock>(iid, object); }

HRESULT SystemClock::GetTime(REFERENCE_TIME *time) {
  if (!time) return E_POINTER;
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  *time = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
  return S_OK;
}

} // namespace graph
