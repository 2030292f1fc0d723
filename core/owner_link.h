#pragma once
// A worker thread's pointer back to the object that started it. The thread
// holds it only for a moment (Enter ... Leave); the owner's Detach waits out
// such a moment, and afterwards the thread never reaches the owner again,
// even if it runs on for a while. No locks: one atomic word.
#include <windows.h>

template <class T>
class COwnerLink {
 public:
  COwnerLink() : pOwner(nullptr) {}
  COwnerLink(const COwnerLink&) = delete;
  COwnerLink& operator=(const COwnerLink&) = delete;

  // Owner side, before the thread starts.
  void Attach(T* owner) { Exchange(owner); }

  // Thread side: the owner, held until Leave; nullptr once detached. Only
  // the one thread enters, so a held link is never met here.
  T* Enter() {
    for (;;) {
      T* owner = pOwner;
      if (!owner) return nullptr;
      if (CompareExchange(Busy(), owner) == owner) return owner;
    }
  }
  void Leave(T* owner) { Exchange(owner); }

  // Owner side: once this returns the thread no longer touches the owner.
  void Detach() {
    for (;;) {
      T* owner = pOwner;
      if (!owner) return;
      if (owner == Busy()) {
        SwitchToThread();  // the thread is inside the owner for a moment
        continue;
      }
      if (CompareExchange(nullptr, owner) == owner) return;
    }
  }

 private:
  // The value while the thread holds the link; never dereferenced.
  static T* Busy() { return reinterpret_cast<T*>(static_cast<UINT_PTR>(1)); }
  T* Exchange(T* value) {
    return static_cast<T*>(
        InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&pOwner), value));
  }
  T* CompareExchange(T* value, T* comparand) {
    return static_cast<T*>(InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID volatile*>(&pOwner), value, comparand));
  }

  T* volatile pOwner;
};
