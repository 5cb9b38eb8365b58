// The component's registration in HKEY_CLASSES_ROOT: the application (AppID),
// each class of the type library with its ProgIDs, and the type library with
// its interfaces. Registration stops at the first failure and leaves what it
// wrote; removal keeps HKEY_CLASSES_ROOT\CLSID and \AppID themselves.
#pragma once

#include <string>

#include "base/com/type_library.h"
#include "platform/api/com.h"

namespace com {

// {C61ADB8C-B6DC-4658-83B9-F5E6B4B0E71C}
inline constexpr GUID kAppId = {0xC61ADB8C, 0xB6DC, 0x4658, {0x83, 0xB9, 0xF5, 0xE6, 0xB4, 0xB0, 0xE7, 0x1C}};
inline constexpr char16_t kAppName[] = u"Calomar.Common.EventCollector.DLL";
inline constexpr char16_t kProgIdPrefix[] = u"Calomar.Overseer.EventCollector.";

// The version-independent ProgID of a class: the prefix and the class name.
std::u16string ProgIdOf(const typelib::CoClass& coclass);

// The application entry, then every class in class-table order, with the
// library's classes served by the module at modulePath.
HRESULT RegisterClasses(const typelib::Library& library, const std::u16string& modulePath);
HRESULT UnregisterClasses(const typelib::Library& library);

// HKEY_CLASSES_ROOT\TypeLib\{LIBID}\<major.minor> and the Interface entries
// of the described dual interfaces, as RegisterTypeLib writes them.
HRESULT RegisterTypeLibrary(const typelib::Library& library, const std::u16string& path);
HRESULT UnregisterTypeLibrary(const typelib::Library& library);

}  // namespace com
