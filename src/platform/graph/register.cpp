#include "graph/register.h"

#include "dshow/uuids.h"
#include "graph/capture_builder.h"
#include "graph/filter_graph.h"
#include "graph/builder_callbacks.h"
#include "graph/graph_description.h"
#include "graph/system_clock.h"

void RegisterGraphClasses() {
  SetRunningObjectDescriber(&graph::DescribeGraph);
  // The platform's decoders and renderers, as the builders choose them by media type.
  using graph::CatalogFilter;
  const GUID pack = MEDIATYPE_DVD_ENCRYPTED_PACK;
  graph::RegisterCatalogFilter(CatalogFilter{CLSID_MpegVideoDecoder, u"MPEG Video Decoder", 0x600000, {{pack, MEDIASUBTYPE_MPEG2_VIDEO}}});
  graph::RegisterCatalogFilter(CatalogFilter{CLSID_DvdAudioDecoder, u"DVD Audio Decoder", 0x600000,
                                             {{pack, MEDIASUBTYPE_DOLBY_AC3}, {pack, MEDIASUBTYPE_MPEG2_AUDIO},
                                              {pack, MEDIASUBTYPE_DVD_LPCM_AUDIO}, {pack, MEDIASUBTYPE_DTS}}});
  graph::RegisterCatalogFilter(CatalogFilter{CLSID_SubpictureDecoder, u"Subpicture Decoder", 0x600000, {{pack, MEDIASUBTYPE_DVD_SUBPICTURE}}});
  graph::RegisterCatalogFilter(CatalogFilter{CLSID_VideoRenderer, u"Video Renderer", 0x800000, {{MEDIATYPE_Video, GUID_NULL}}});
  graph::RegisterCatalogFilter(CatalogFilter{CLSID_VideoMixingRenderer9, u"Video Mixing Renderer 9", 0x200000, {{MEDIATYPE_Video, GUID_NULL}}});
  graph::RegisterCatalogFilter(CatalogFilter{CLSID_DSoundRender, u"Audio Renderer", 0x800000, {{MEDIATYPE_Audio, GUID_NULL}}});
  CoRegisterClassFactory(CLSID_FilterGraph, &graph::FilterGraph::Create);
  CoRegisterClassFactory(CLSID_FilterGraphNoThread, &graph::FilterGraph::Create);
  CoRegisterClassFactory(CLSID_CaptureGraphBuilder2, &graph::CaptureGraphBuilder::Create);
  CoRegisterClassFactory(CLSID_SystemClock, [](REFIID iid, void **object) -> HRESULT {
    if (!object) return E_POINTER;
    *object = nullptr;
    return graph::SystemClock::Create()->QueryInterface(iid, object);
  });
}
