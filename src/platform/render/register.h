// Registers the renderer classes (CLSID_VideoRenderer, CLSID_VideoMixingRenderer9,
// CLSID_DSoundRender) with the class registry. Safe to call more than once.
#pragma once

void RegisterRenderClasses();
