// The component's type library as data: its identity, its classes in the
// order of the class table and its interfaces. Generated with the dispatch
// description from com/EventCollector.idl into the library ectypelib.
#pragma once

#include "base/com/dispatch.h"
#include "platform/api/oleauto.h"

namespace com::typelib {

struct CoClass {
  const char16_t* name;  // "Task"
  const CLSID* clsid;
  const char16_t* helpString;  // "Task Class"
  const IID* defaultInterface;
};

struct Library {
  const char16_t* name;  // "EventCollectorLib"
  const GUID* libid;
  const char16_t* helpString;
  WORD majorVersion;
  WORD minorVersion;
  LCID lcid;
  const CoClass* classes;
  unsigned classCount;
  // The dual interfaces of the library, as the dispatch description holds them.
  const dispatch::Interface* const* interfaces;
  unsigned interfaceCount;
};

const Library& ComponentLibrary();

}  // namespace com::typelib
