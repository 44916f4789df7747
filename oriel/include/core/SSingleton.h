// Singletons of the framework. SSingleton<T> is one process-wide pointer
// the object sets on construction and clears on destruction; SSingleton2<T>
// reaches the application's singleton table at T's fixed index.
#pragma once

#include <cassert>

namespace ORIEL {

template <class T>
class SSingleton {
 public:
  SSingleton() { s_instance = static_cast<T*>(this); }
  ~SSingleton() { s_instance = nullptr; }
  SSingleton(const SSingleton&) = delete;
  SSingleton& operator=(const SSingleton&) = delete;
  static T* getSingletonPtr() { return s_instance; }
  static T& getSingleton() {
    assert(s_instance);
    return *s_instance;
  }

 private:
  static inline T* s_instance = nullptr;
};

// Indexes of the application's singleton table.
enum SingletonIndex {
  SINGLETON_UIDEF = 0,
  SINGLETON_WINDOWMGR = 1,
  SINGLETON_TIMER2 = 2,
  SINGLETON_SCRIPTTIMER = 3,
  SINGLETON_FONTPOOL = 4,
  SINGLETON_STYLEPOOLMGR = 5,
  SINGLETON_TEMPLATEPOOLMGR = 6,
  SINGLETON_SKINPOOLMGR = 7,
  SINGLETON_WINDOWFINDER = 8,
  SINGLETON_TEXTSERVICEHELPER = 9,
  SINGLETON_RICHEDITMENUDEF = 10,
  SINGLETON_SIMPLEWNDHELPER = 11,
  SINGLETON_COUNT = 12,
};

// Every table singleton is deleted through this base by the application.
class SSingletonBase {
 public:
  virtual ~SSingletonBase() = default;
};

void* GetAppSingleton(int index);

template <class T, int Index>
class SSingleton2 : public SSingletonBase {
 public:
  static constexpr int kIndex = Index;
  static T* getSingletonPtr() { return static_cast<T*>(static_cast<SSingletonBase*>(GetAppSingleton(Index))); }
  static T& getSingleton() {
    T* p = getSingletonPtr();
    assert(p);
    return *p;
  }
};

}  // namespace ORIEL
