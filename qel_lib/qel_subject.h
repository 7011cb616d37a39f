// Events between components that do not own each other: a subject keeps its observers only
// weakly, and an observer forwards to its owner only while the owner lives.
#pragma once

#include <list>
#include <utility>

#include "qel_lib/qel_ptr.h"

template <class Tag, class R, class A>
class ISubject {
 public:
  class IObserver : public ZulIObject {
   public:
    virtual R OnEvent(A arg) = 0;
  };

  class IObserverAdapter {
   public:
    virtual ~IObserverAdapter() = default;
    shared_ptr<IObserver> mObserver;
  };

  virtual bool Attach(IObserverAdapter* adapter, int tag) = 0;
  virtual bool Detach(IObserverAdapter* adapter) = 0;
  virtual ~ISubject() = default;
};

template <class Tag, class R, class A>
class SimpleSubject : public ISubject<Tag, R, A> {
 public:
  using Base = ISubject<Tag, R, A>;
  using IObserver = typename Base::IObserver;
  using IObserverAdapter = typename Base::IObserverAdapter;
  using Arg = A;

  // Duplicates are allowed: an adapter attached twice hears each event twice.
  bool Attach(IObserverAdapter* adapter, int tag) override {
    mObservers.push_back(Entry{weak_ptr<IObserver>(adapter->mObserver), tag});
    return true;
  }

  // Erases the first entry for the adapter's observer only.
  bool Detach(IObserverAdapter* adapter) override {
    detail_count* block = adapter->mObserver.block();
    for (auto it = mObservers.begin(); it != mObservers.end(); ++it) {
      if (it->observer.block() == block) {
        mObservers.erase(it);
        return true;
      }
    }
    return false;
  }

  // Delivers to a copy of the list, so observers may attach or detach meanwhile. Entries
  // whose observer is gone are skipped and kept.
  virtual void Notify(A arg) {
    std::list<Entry> copy = mObservers;
    for (const Entry& e : copy) {
      shared_ptr<IObserver> o = e.observer.lock();
      if (o.valid())
        o->OnEvent(arg);
    }
  }

  size_t size() const { return mObservers.size(); }

 private:
  struct Entry {
    weak_ptr<IObserver> observer;
    int tag;
  };
  std::list<Entry> mObservers;
};

// Owner-side half of the wiring: Bind to the owner and its handler, then Attach to a
// subject; Detach when the owner is torn down.
template <class Owner, class Subject>
class ObserverAdapter : public Subject::IObserverAdapter {
 public:
  using A = typename Subject::Arg;
  using Handler = void (Owner::*)(A);

  class Observer : public Subject::IObserver {
   public:
    void OnEvent(A arg) override {
      if (!mHandler || !mOwner.valid())
        return;
      shared_ptr<Owner> owner = mOwner.lock();
      if (owner.valid())
        (owner.get()->*mHandler)(arg);
    }
    weak_ptr<Owner> mOwner;
    Handler mHandler = nullptr;
  };

  ObserverAdapter() { this->mObserver = shared_ptr<typename Subject::IObserver>(new Observer); }

  virtual void Bind(const shared_ptr<Owner>& owner, Handler handler) {
    Observer* o = static_cast<Observer*>(this->mObserver.get());
    o->mOwner = owner;
    o->mHandler = handler;
  }
};
