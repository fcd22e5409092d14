// CoInitialize: registers the real classes of every platform folder built in.
#include "com/registry.h"

#ifdef QDVD_HAVE_PLATFORM_GRAPH
#include "graph/register.h"
#endif
#ifdef QDVD_HAVE_PLATFORM_DVD
#include "dvd/register.h"
#endif
#ifdef QDVD_HAVE_PLATFORM_CODECS
#include "codecs/register.h"
#endif
#ifdef QDVD_HAVE_PLATFORM_RENDER
#include "render/register.h"
#endif

#include <mutex>

namespace {
std::once_flag registered;
}

// The first call registers; later calls give S_FALSE and leave the registry alone,
// so a class a test replaced stays replaced.
HRESULT CoInitialize(void *) {
  bool first = false;
  std::call_once(registered, [&] {
    first = true;
#ifdef QDVD_HAVE_PLATFORM_GRAPH
    RegisterGraphClasses();
#endif
#ifdef QDVD_HAVE_PLATFORM_DVD
    RegisterDvdClasses();
#endif
#ifdef QDVD_HAVE_PLATFORM_CODECS
    RegisterCodecClasses();
#endif
#ifdef QDVD_HAVE_PLATFORM_RENDER
    RegisterRenderClasses();
#endif
  });
  return first ? S_OK : S_FALSE;
}

// Classes stay registered for the life of the process.
void CoUninitialize() {}
