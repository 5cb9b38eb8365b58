// The module's counts of live COM objects and server locks, which decide
// whether the library may be unloaded (DllCanUnloadNow).
#pragma once

#include "platform/api/types.h"

namespace com {

class Module {
 public:
  static void ObjectCreated();
  static void ObjectDestroyed();
  static void Lock();
  static void Unlock();
  static LONG ObjectCount();
  static LONG LockCount();
  // True when no object and no lock exists.
  static bool CanUnload();
};

}  // namespace com
