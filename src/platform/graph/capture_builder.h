// A minimal capture graph builder (CLSID_CaptureGraphBuilder2): it only holds a
// graph (SetFiltergraph/GetFiltergraph; GetFiltergraph makes a filter graph when
// none was set). Every other method gives E_NOTIMPL.
#pragma once

#include "dshow/strmif.h"

namespace graph {

class CaptureGraphBuilder final : public ComObject<ICaptureGraphBuilder2> {
public:
  static HRESULT Create(REFIID iid, void **object);

  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT SetFiltergraph(IGraphBuilder *graph) override; // counted; null lets go
  HRESULT GetFiltergraph(IGraphBuilder **graph) override;
  HRESULT SetOutputFileName(const GUID *type, LPCWSTR file, IBaseFilter **mux, IUnknown **sink) override;
  HRESULT FindInterface(const GUID *category, const GUID *type, IBaseFilter *filter, REFIID iid,
                        void **object) override;
  HRESULT RenderStream(const GUID *category, const GUID *type, IUnknown *source, IBaseFilter *compressor,
                       IBaseFilter *renderer) override;
  HRESULT FindPin(IUnknown *source, PIN_DIRECTION dir, const GUID *category, const GUID *type, BOOL unconnected,
                  int num, IPin **pin) override;

private:
  ComPtr<IGraphBuilder> graph_;
};

} // namespace graph
