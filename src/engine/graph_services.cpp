// What sits beside the graph: registration for outside inspection, the graph log, the
// service through which a graph finds this component, and the graph builder callbacks.
#include "engine/filter_graph.h"

#include "dshow/uuids.h"
#include "win/rot.h"
#include "win/winbase.h"

#include <QFile>

#include <cstdint>
#include <cstdio>


void TFilterGraph::SetGraphEdit(bool graphEdit) {
  if (!graphEdit) {
    if (rotCookie_ != 0) {
      RevokeGraph();
      rotCookie_ = 0;
    }
  } else if (rotCookie_ == 0 && active_) {
    RegisterGraph();
  }
  graphEdit_ = graphEdit;
}

// The item name carries the graph's address and the process: "FilterGraph <pointer> pid
// <pid>", the pointer in uppercase hexadecimal at its full width.
void TFilterGraph::RegisterGraph() {
  ComPtr<IRunningObjectTable> table;
  if (FAILED(GetRunningObjectTable(0, &table)) || !table) return;
  char item[64];
  std::snprintf(item, sizeof item, "FilterGraph %0*llX pid %X", static_cast<int>(sizeof(void *) * 2),
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(graph_.Get())),
                static_cast<unsigned>(GetCurrentProcessId()));
  const std::u16string name = QString::fromLatin1(item).toStdU16String();
  ComPtr<IMoniker> moniker;
  if (FAILED(CreateItemMoniker(u"!", name.c_str(), &moniker)) || !moniker) return;
  DWORD cookie = 0;
  if (FAILED(table->Register(0, graph_.Get(), moniker.Get(), &cookie))) cookie = 0;
  rotCookie_ = cookie;
}

void TFilterGraph::RevokeGraph() {
  ComPtr<IRunningObjectTable> table;
  if (SUCCEEDED(GetRunningObjectTable(0, &table)) && table) table->Revoke(rotCookie_);
}

void TFilterGraph::SetLogFile(const QString &name) {
  if (!active_) {
    logFile_ = name;
    return;
  }
  graph_->SetLogFile(0);
  CloseLog();
  if (!name.isEmpty() && !OpenLog(name)) {
    // Logging goes off quietly; the name stays what it was.
    graph_->SetLogFile(0);
    CloseLog();
    return;
  }
  logFile_ = name;
}

bool TFilterGraph::OpenLog(const QString &name) {
  const QByteArray path = QFile::encodeName(name);
  HANDLE file = CreateFileA(path.constData(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  logHandle_ = file;
  graph_->SetLogFile(reinterpret_cast<DWORD_PTR>(file));
  return true;
}

void TFilterGraph::CloseLog() {
  if (!logHandle_) return;
  CloseHandle(logHandle_);
  logHandle_ = nullptr;
}

HRESULT TFilterGraph::QueryService(REFGUID service, REFIID iid, void **object) {
  if (service == SID_FilterGraphComponent && iid == SID_FilterGraphComponent) {
    if (!object) return E_POINTER;
    *object = this;
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT TFilterGraph::SelectedFilter(IMoniker *moniker) {
  if (!OnSelectedFilter) return S_OK;
  GUID classID = GUID_NULL;
  std::u16string friendlyName;
  ComPtr<IPropertyBag> bag;
  if (moniker) moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void **>(&bag));
  if (bag) {
    BSTR value = nullptr;
    if (bag->Read(u"CLSID", &value, nullptr) == S_OK && value &&
        !GuidFromString(QString::fromUtf16(value).toStdString(), &classID))
      classID = GUID_NULL;
    SysFreeString(value);
    value = nullptr;
    if (bag->Read(u"FriendlyName", &value, nullptr) == S_OK && value) friendlyName = value;
    SysFreeString(value);
    bag.Reset();
  }
  return OnSelectedFilter(moniker, friendlyName, classID) ? S_OK : E_FAIL;
}

HRESULT TFilterGraph::CreatedFilter(IBaseFilter *filter) {
  if (!OnCreatedFilter) return S_OK;
  CLSID classID = GUID_NULL;
  if (filter) filter->GetClassID(&classID);
  return OnCreatedFilter(filter, classID) ? S_OK : E_FAIL;
}

HRESULT TFilterGraph::UnableToRenderPin(IPin *pin) {
  HRESULT result = S_FALSE;
  if (!pin) return result;
  PIN_INFO pinInfo{};
  const HRESULT pinHr = pin->QueryPinInfo(&pinInfo);
  ComPtr<IBaseFilter> filter;
  filter.Attach(pinInfo.pFilter);
  if (pinHr != S_OK || !filter) return result;

  FILTER_INFO filterInfo{};
  const HRESULT filterHr = filter->QueryFilterInfo(&filterInfo);
  ComPtr<IFilterGraph> graph;
  graph.Attach(filterInfo.pGraph);
  if (filterHr != S_OK || !graph) return result;

  ComPtr<IServiceProvider> provider;
  if (graph->QueryInterface(IID_IServiceProvider, reinterpret_cast<void **>(&provider)) != S_OK || !provider)
    return result;
  void *object = nullptr;
  if (provider->QueryService(SID_FilterGraphComponent, SID_FilterGraphComponent, &object) != S_OK || !object)
    return result;
  auto *component = static_cast<TFilterGraph *>(object);
  if (component->OnUnableToRender && component->OnUnableToRender(pin)) result = S_OK;
  return result;
}
