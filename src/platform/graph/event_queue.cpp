#include "graph/event_queue.h"

#include "com/log.h"

#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "win/winuser.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace graph {

namespace {

struct ParamKinds {
  bool p1Text = false, p2Text = false, p1Time = false, p1Object = false, p2Object = false;
};

// Which parameters of an event are pointers that the queue copies or counts.
ParamKinds KindsOf(LONG code) {
  ParamKinds k;
  switch (code) {
  case EC_OLE_EVENT: k.p1Text = k.p2Text = true; break;
  case EC_END_OF_SEGMENT: k.p1Time = true; break;
  case EC_COMPLETE:
  case EC_FULLSCREEN_LOST: k.p2Object = true; break;
  case EC_WINDOW_DESTROYED:
  case EC_STREAM_CONTROL_STOPPED:
  case EC_STREAM_CONTROL_STARTED:
  case EC_DEVICE_LOST: k.p1Object = true; break;
  default: break;
  }
  return k;
}

bool IsTerminal(LONG code) { return code == EC_COMPLETE || code == EC_ERRORABORT || code == EC_USERABORT; }

} // namespace

EventQueue::EventQueue() : eventFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

EventQueue::~EventQueue() {
  std::vector<Owned> items;
  for (const auto &[value, kind] : owned_) items.push_back({kind, value});
  owned_.clear();
  Free(items);
  if (eventFd_ >= 0) close(eventFd_);
}

// --- Ownership of pointer parameters -----------------------------------------------

EventQueue::Event EventQueue::TakeOwnership(LONG code, LONG_PTR p1, LONG_PTR p2) {
  ParamKinds k = KindsOf(code);
  auto text = [this](LONG_PTR p) -> LONG_PTR {
    if (!p) return 0;
    BSTR copy = SysAllocString(reinterpret_cast<const WCHAR *>(p));
    if (copy) owned_.emplace(reinterpret_cast<LONG_PTR>(copy), Kind::Text);
    return reinterpret_cast<LONG_PTR>(copy);
  };
  auto object = [this](LONG_PTR p) -> LONG_PTR {
    if (p) {
      reinterpret_cast<IUnknown *>(p)->AddRef();
      owned_.emplace(p, Kind::Object);
    }
    return p;
  };
  if (k.p1Text) p1 = text(p1);
  if (k.p2Text) p2 = text(p2);
  if (k.p1Time && p1) {
    auto *copy = new REFERENCE_TIME(*reinterpret_cast<const REFERENCE_TIME *>(p1));
    p1 = reinterpret_cast<LONG_PTR>(copy);
    owned_.emplace(p1, Kind::Time);
  }
  if (k.p1Object) p1 = object(p1);
  if (k.p2Object) p2 = object(p2);
  return {code, p1, p2};
}

void EventQueue::Forget(LONG code, LONG_PTR p1, LONG_PTR p2, std::vector<Owned> *out) {
  auto take = [&](LONG_PTR value, Kind kind) {
    if (!value) return;
    auto [first, last] = owned_.equal_range(value);
    for (auto it = first; it != last; ++it) {
      if (it->second == kind) {
        out->push_back({kind, value});
        owned_.erase(it);
        return;
      }
    }
  };
  ParamKinds k = KindsOf(code);
  if (k.p1Text) take(p1, Kind::Text);
  if (k.p2Text) take(p2, Kind::Text);
  if (k.p1Time) take(p1, Kind::Time);
  if (k.p1Object) take(p1, Kind::Object);
  if (k.p2Object) take(p2, Kind::Object);
}

void EventQueue::Free(const std::vector<Owned> &items) {
  for (const Owned &o : items) {
    switch (o.kind) {
    case Kind::Text: SysFreeString(reinterpret_cast<BSTR>(o.value)); break;
    case Kind::Time: delete reinterpret_cast<REFERENCE_TIME *>(o.value); break;
    case Kind::Object: reinterpret_cast<IUnknown *>(o.value)->Release(); break;
    }
  }
}

void EventQueue::DropQueued(std::vector<Owned> *out) {
  for (const Event &e : queue_) Forget(e.code, e.p1, e.p2, out);
  queue_.clear();
  std::uint64_t count;
  if (eventFd_ >= 0) (void)!read(eventFd_, &count, sizeof count);
}

// --- Queue -------------------------------------------------------------------------

void EventQueue::Append(const Event &e) {
  bool wasEmpty = queue_.empty();
  queue_.push_back(e);
  if (wasEmpty && eventFd_ >= 0) {
    std::uint64_t one = 1;
    (void)!write(eventFd_, &one, sizeof one);
  }
  PostLocked(1);
  arrived_.notify_all();
}

void EventQueue::PostLocked(std::size_t count) {
  if (!hwnd_ || (flags_ & AM_MEDIAEVENT_NONOTIFY)) return;
  for (std::size_t i = 0; i < count; ++i) PostMessageA(reinterpret_cast<HWND>(hwnd_), static_cast<UINT>(msg_), 0, instance_);
}

HRESULT EventQueue::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
  qCDebug(lcGraph, "event %#x (%lld, %lld)", unsigned(code), static_cast<long long>(param1),
          static_cast<long long>(param2));
  std::lock_guard guard(lock_);
  if (code == EC_COMPLETE && defaultComplete_ && !renderers_.empty()) {
    const void *sender = reinterpret_cast<const void *>(param2);
    if (std::find(renderers_.begin(), renderers_.end(), sender) != renderers_.end()) {
      if (std::find(completed_.begin(), completed_.end(), sender) != completed_.end()) return S_FALSE;
      completed_.push_back(sender);
      if (FAILED(static_cast<HRESULT>(param1)) && SUCCEEDED(completeResult_))
        completeResult_ = static_cast<HRESULT>(param1);
      if (completed_.size() < renderers_.size()) return S_FALSE;
      param1 = completeResult_;
      param2 = 0;
    }
  }
  if (IsTerminal(code) && !completion_) {
    completion_ = code;
    arrived_.notify_all();
  }
  if (flags_ & AM_MEDIAEVENT_NONOTIFY) return S_FALSE;
  Append(TakeOwnership(code, param1, param2));
  return S_OK;
}

HRESULT EventQueue::GetEvent(LONG *code, LONG_PTR *param1, LONG_PTR *param2, LONG msTimeout) {
  if (!code || !param1 || !param2) return E_POINTER;
  std::unique_lock guard(lock_);
  auto ready = [this] { return !queue_.empty(); };
  if (msTimeout < 0) arrived_.wait(guard, ready);
  else if (msTimeout > 0) arrived_.wait_for(guard, std::chrono::milliseconds(msTimeout), ready);
  if (queue_.empty()) {
    *code = 0;
    *param1 = *param2 = 0;
    return E_ABORT;
  }
  Event e = queue_.front();
  queue_.pop_front();
  if (queue_.empty() && eventFd_ >= 0) {
    std::uint64_t count;
    (void)!read(eventFd_, &count, sizeof count);
  }
  *code = e.code;
  *param1 = e.p1;
  *param2 = e.p2;
  return S_OK;
}

HRESULT EventQueue::FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) {
  std::vector<Owned> items;
  {
    std::lock_guard guard(lock_);
    Forget(code, param1, param2, &items);
  }
  Free(items); // a Release may end a filter: never under the queue's lock
  return S_OK;
}

// --- Notification window and flags -------------------------------------------------

HRESULT EventQueue::SetNotifyWindow(OAHWND hwnd, LONG msg, LONG_PTR instance) {
  std::lock_guard guard(lock_);
  hwnd_ = hwnd;
  msg_ = msg;
  instance_ = instance;
  PostLocked(queue_.size()); // one message for each event already waiting
  return S_OK;
}

HRESULT EventQueue::SetNotifyFlags(LONG flags) {
  if (flags != 0 && flags != AM_MEDIAEVENT_NONOTIFY) return E_INVALIDARG;
  std::vector<Owned> items;
  {
    std::lock_guard guard(lock_);
    flags_ = flags;
    if (flags & AM_MEDIAEVENT_NONOTIFY) DropQueued(&items);
  }
  Free(items);
  return S_OK;
}

LONG EventQueue::NotifyFlags() const {
  std::lock_guard guard(lock_);
  return flags_;
}

HRESULT EventQueue::CancelDefaultHandling(LONG code) {
  if (code != EC_COMPLETE) return S_FALSE;
  std::lock_guard guard(lock_);
  defaultComplete_ = false;
  return S_OK;
}

HRESULT EventQueue::RestoreDefaultHandling(LONG code) {
  if (code != EC_COMPLETE) return S_FALSE;
  std::lock_guard guard(lock_);
  defaultComplete_ = true;
  return S_OK;
}

// --- Completion --------------------------------------------------------------------

void EventQueue::StartStream(std::vector<const void *> renderers) {
  std::lock_guard guard(lock_);
  renderers_ = std::move(renderers);
  completed_.clear();
  completeResult_ = S_OK;
  completion_.reset();
  streaming_ = true;
}

void EventQueue::EndStream() {
  std::lock_guard guard(lock_);
  streaming_ = false;
  arrived_.notify_all();
}

HRESULT EventQueue::WaitForCompletion(LONG msTimeout, LONG *code) {
  if (!code) return E_POINTER;
  *code = 0;
  std::unique_lock guard(lock_);
  auto done = [this] { return completion_.has_value() || !streaming_; };
  if (msTimeout < 0) arrived_.wait(guard, done);
  else arrived_.wait_for(guard, std::chrono::milliseconds(msTimeout), done);
  if (!streaming_) return VFW_E_WRONG_STATE;
  if (!completion_) return E_ABORT;
  *code = *completion_;
  return S_OK;
}

} // namespace graph
