// Building the DVD playback graph for a volume.
#include "dshow/errors.h"
#include "engine/check_result.h"
#include "engine/filter_graph.h"

HRESULT TFilterGraph::RenderDvdVolume(AM_DVD_RENDERSTATUS &status, const std::u16string &path, DWORD flags) {
  HRESULT result = VFW_E_DVD_RENDERFAIL;
  ComPtr<IDvdGraphBuilder> builder = dvdBuilder_;
  if (!builder) return result;
  ControlNotify(ccDvdRendering, static_cast<LONG>(flags));
  result = CheckResult(builder->RenderDvdVideoVolume(path.empty() ? nullptr : path.c_str(), flags, &status));
  // S_OK: every stream rendered; S_FALSE: built, with the problems in the status record.
  if (static_cast<DWORD>(result) < 2) {
    ControlNotify(ccDvdRendered, static_cast<LONG>(flags));
    ApplyAudioAndRate();
  }
  return result;
}
