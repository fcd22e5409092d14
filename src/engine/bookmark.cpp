// DVD bookmarks: the navigator's state object persisted in a compound file.
#include "engine/check_result.h"
#include "engine/filter_graph.h"
#include "win/storage.h"

namespace {
constexpr DWORD kWriteMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;
constexpr DWORD kReadMode = STGM_SHARE_EXCLUSIVE | STGM_READ;
constexpr const char16_t *kStreamName = u"BookMark";
} // namespace

void TFilterGraph::SaveDvdBookmark(const std::u16string &fileName) {
  if (!active_ || mode_ != gmDVD) return;
  ComPtr<IDvdInfo2> info;
  if (FAILED(QueryInterface(IID_PPV_ARGS(&info))) || !info) return;
  // Without a state to write (no disc loaded, a navigator that cannot tell), the file
  // is not touched: an earlier bookmark stays usable.
  ComPtr<IDvdState> state;
  if (FAILED(info->GetState(&state)) || !state) return;
  ComPtr<IPersistStream> persist;
  if (FAILED(state->QueryInterface(IID_PPV_ARGS(&persist))) || !persist) return;

  ComPtr<IStorage> storage;
  if (FAILED(StgCreateDocfile(fileName.c_str(), kWriteMode, 0, &storage)) || !storage) return;
  ComPtr<IStream> stream;
  if (FAILED(storage->CreateStream(kStreamName, kWriteMode, 0, 0, &stream)) || !stream) {
    storage->Revert();
    return;
  }
  if (FAILED(OleSaveToStream(persist.Get(), stream.Get()))) storage->Revert();
  // Releasing the stream and the storage puts the new file in place of the old one.
}

void TFilterGraph::RestoreDvdBookmark(const std::u16string &fileName) {
  ComPtr<IDvdControl2> control;
  if (FAILED(QueryInterface(IID_PPV_ARGS(&control))) || !control) return;
  ComPtr<IStorage> storage;
  if (FAILED(StgOpenStorage(fileName.c_str(), nullptr, kReadMode, nullptr, 0, &storage)) || !storage) return;
  ComPtr<IStream> stream;
  if (FAILED(storage->OpenStream(kStreamName, nullptr, kReadMode, 0, &stream)) || !stream) return;
  // A stream that holds no state of ours (empty, cut short, another class) restores
  // nothing; playback goes on as it was.
  ComPtr<IDvdState> state;
  if (FAILED(OleLoadFromStream(stream.Get(), IID_PPV_ARGS(&state))) || !state) return;
  // A stopped or paused navigator carries no jump out: restoring plays from the point.
  ComPtr<IMediaControl> media;
  OAFilterState now = State_Running;
  if (SUCCEEDED(QueryInterface(IID_PPV_ARGS(&media))) && media && SUCCEEDED(media->GetState(0, &now)) &&
      now != State_Running)
    Play();
  ComPtr<IDvdCmd> cmd;
  CheckResult(control->SetState(state.Get(), 0, &cmd));
  if (cmd) cmd->WaitForEnd();
}
