// Registers the classes of graph/ with the class registry: CLSID_FilterGraph,
// CLSID_FilterGraphNoThread, CLSID_CaptureGraphBuilder2 and CLSID_SystemClock.
#pragma once

void RegisterGraphClasses();
