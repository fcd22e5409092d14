#include "render/register.h"

#include "render/audio_renderer.h"
#include "render/video_renderer.h"
#include "render/vmr9_renderer.h"

#include "dshow/uuids.h"

void RegisterRenderClasses() {
  CoRegisterClassFactory(CLSID_VideoRenderer, &render::VideoRenderer::Create);
  CoRegisterClassFactory(CLSID_VideoMixingRenderer9, &render::Vmr9Renderer::Create);
  CoRegisterClassFactory(CLSID_DSoundRender, &render::AudioRenderer::Create);
}
