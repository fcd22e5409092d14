#include "dvd/register.h"

#include "dshow/uuids.h"
#include "dvd/graph_builder.h"
#include "dvd/navigator.h"
#include "dvd/state_object.h"

void RegisterDvdClasses() {
  CoRegisterClassFactory(CLSID_DvdGraphBuilder, dvd::CreateDvdGraphBuilder);
  CoRegisterClassFactory(CLSID_DVDNavigator, dvd::Navigator::Create);
  CoRegisterClassFactory(CLSID_DVDState, dvd::StateObject::Create);
}
