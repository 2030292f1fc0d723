#pragma once
// The owner's slot for its running worker thread (the broadcast listener,
// the responder), handed over without locks: the owner takes the worker out
// of the slot to stop it, a worker that ends by itself (its bind failed)
// takes itself out. Whoever empties the slot decides who lets go of the
// owner's claim on the worker (CThread), so a worker is never stopped after
// it freed itself and never freed while its owner stops it.
#include <windows.h>

#include "core/owner_link.h"

template <class T>
class CWorkerSlot {
 public:
  CWorkerSlot() : pWorker(nullptr) {}
  CWorkerSlot(const CWorkerSlot&) = delete;
  CWorkerSlot& operator=(const CWorkerSlot&) = delete;

  // The running worker, or nullptr.
  T* Get() const { return CompareExchange(nullptr, nullptr); }

  // Owner: registers the worker before its thread runs (a thread that ends
  // at once finds itself here) and starts it; the worker frees itself. A
  // thread that cannot start stays registered until it is stopped.
  template <class Owner>
  void Start(T* worker, COwnerLink<Owner> T::*back, Owner* owner) {
    (worker->*back).Attach(owner);
    worker->bAutoDelete = TRUE;
    Exchange(worker);
    worker->Create(0);
    worker->Resume();
  }

  // Owner: takes the worker out and stops it (its back link cut first, so
  // the ending thread no longer reaches the owner); nothing when it has
  // already let go by itself.
  template <class Owner>
  void Stop(COwnerLink<Owner> T::*back) {
    T* worker = Exchange(nullptr);
    if (!worker) return;
    (worker->*back).Detach();
    worker->Stop();
  }

  // Worker, at its end and holding its back link: if it is still
  // registered, it takes itself out; the owner will then never stop it, so
  // the owner's claim is given up here.
  void LeaveByItself(T* worker) {
    if (CompareExchange(nullptr, worker) == worker) worker->ReleaseOwner();
  }

 private:
  T* Exchange(T* value) {
    return static_cast<T*>(
        InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&pWorker), value));
  }
  T* CompareExchange(T* value, T* comparand) const {
    return static_cast<T*>(InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID volatile*>(const_cast<T* volatile*>(&pWorker)), value, comparand));
  }

  T* volatile pWorker;
};
