// The graph's event queue (internal to graph/): thread-safe, posts the notify
// window's message for every event queued, owns the events' pointer parameters
// (rules in graph/filter_graph.h) and applies the default handling of EC_COMPLETE.
#pragma once

#include "dshow/control.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace graph {

class EventQueue {
public:
  EventQueue();
  ~EventQueue();
  EventQueue(const EventQueue &) = delete;
  EventQueue &operator=(const EventQueue &) = delete;

  // Any thread. S_FALSE when the event was absorbed (a renderer's EC_COMPLETE
  // before the others completed) or dropped (notifications off).
  HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2);
  // msTimeout: 0 no wait, negative forever. E_ABORT when nothing came.
  HRESULT GetEvent(LONG *code, LONG_PTR *param1, LONG_PTR *param2, LONG msTimeout);
  HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2);

  HRESULT SetNotifyWindow(OAHWND hwnd, LONG msg, LONG_PTR instance);
  HRESULT SetNotifyFlags(LONG flags);
  LONG NotifyFlags() const;
  // A file descriptor that is readable while events wait (-1 if none could be made).
  int Handle() const { return eventFd_; }

  // Default handling: only EC_COMPLETE has one here.
  HRESULT CancelDefaultHandling(LONG code);
  HRESULT RestoreDefaultHandling(LONG code);

  // The renderers whose EC_COMPLETE the default handling waits for (the graph sets
  // them when it leaves Stopped). Also clears the completion state.
  void StartStream(std::vector<const void *> renderers);
  // The graph stopped: completion waits end with VFW_E_WRONG_STATE.
  void EndStream();
  // Waits for EC_COMPLETE, EC_ERRORABORT or EC_USERABORT since StartStream.
  // E_ABORT on time-out (negative: forever), VFW_E_WRONG_STATE while stopped.
  HRESULT WaitForCompletion(LONG msTimeout, LONG *code);

private:
  enum class Kind { Text, Time, Object };
  struct Event {
    LONG code;
    LONG_PTR p1, p2;
  };
  struct Owned {
    Kind kind;
    LONG_PTR value;
  };

  Event TakeOwnership(LONG code, LONG_PTR p1, LONG_PTR p2);   // lock held
  void Append(const Event &e);                                // lock held
  void Forget(LONG code, LONG_PTR p1, LONG_PTR p2, std::vector<Owned> *out); // lock held
  void DropQueued(std::vector<Owned> *out);                  // lock held
  static void Free(const std::vector<Owned> &items);          // no lock
  void PostLocked(std::size_t count);

  mutable std::mutex lock_;
  std::condition_variable arrived_;
  std::deque<Event> queue_;
  // Parameters the queue allocated or counted, until FreeEventParams.
  std::unordered_multimap<LONG_PTR, Kind> owned_;
  OAHWND hwnd_ = 0;
  LONG msg_ = 0;
  LONG_PTR instance_ = 0;
  LONG flags_ = 0;
  int eventFd_ = -1;
  bool defaultComplete_ = true;
  std::vector<const void *> renderers_;
  std::vector<const void *> completed_;
  HRESULT completeResult_ = S_OK;
  std::optional<LONG> completion_;
  bool streaming_ = false;
};

} // namespace graph
