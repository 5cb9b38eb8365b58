#include "base/com/registration.h"

#include <cstdio>

#include "base/com/dispatch.h"
#include "base/guid_text.h"
#include "platform/api/registry.h"

namespace com {
namespace {

// The universal marshaler of Automation interfaces.
constexpr char16_t kOleAutomationProxy[] = u"{00020424-0000-0000-C000-000000000046}";

HRESULT FromWin32(LONG code) { return code == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(code); }

// An open key under HKEY_CLASSES_ROOT, created when missing.
class Key {
 public:
  Key(HKEY parent, const std::u16string& path) {
    status_ = RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr);
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  HRESULT Status() const { return FromWin32(status_); }
  HKEY Handle() const { return key_; }

  // Sets a text value (null name: the default value).
  HRESULT Set(const char16_t* name, const std::u16string& text) {
    if (status_ != ERROR_SUCCESS) return Status();
    auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
    return FromWin32(RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
  }
  // Creates the subkey with its default value (none when text is null).
  HRESULT SetSub(const std::u16string& sub, const char16_t* text, const char16_t* name = nullptr,
                 const std::u16string* value = nullptr) {
    if (status_ != ERROR_SUCCESS) return Status();
    Key child(key_, sub);
    HRESULT hr = child.Status();
    if (SUCCEEDED(hr) && text) hr = child.Set(nullptr, text);
    if (SUCCEEDED(hr) && name) hr = child.Set(name, *value);
    return hr;
  }

 private:
  HKEY key_ = nullptr;
  LONG status_ = ERROR_SUCCESS;
};

// Removes a key and everything below it; a missing key is no failure.
HRESULT RemoveTree(const std::u16string& path) {
  LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
  if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return S_OK;
  if (status != ERROR_SUCCESS) return FromWin32(status);
  status = RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
  return status == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(status);
}

std::u16string ClassText(const typelib::CoClass& c) { return std::u16string(c.name) + u" Class"; }

HRESULT RegisterApplication() {
  std::u16string appId = cmr::GuidToText(kAppId);
  Key app(HKEY_CLASSES_ROOT, u"AppID\\" + appId);
  HRESULT hr = app.Set(nullptr, appId);
  if (FAILED(hr)) return hr;
  Key name(HKEY_CLASSES_ROOT, std::u16string(u"AppID\\") + kAppName);
  return name.Set(u"AppID", appId);
}

HRESULT RegisterProgIds(const typelib::CoClass& c, const std::u16string& clsid) {
  std::u16string progId = ProgIdOf(c);
  std::u16string versioned = progId + u".1";
  Key current(HKEY_CLASSES_ROOT, versioned);
  HRESULT hr = current.Set(nullptr, ClassText(c));
  if (SUCCEEDED(hr)) hr = current.SetSub(u"CLSID", clsid.c_str());
  if (FAILED(hr)) return hr;
  Key independent(HKEY_CLASSES_ROOT, progId);
  hr = independent.Set(nullptr, ClassText(c));
  if (SUCCEEDED(hr)) hr = independent.SetSub(u"CLSID", clsid.c_str());
  if (SUCCEEDED(hr)) hr = independent.SetSub(u"CurVer", versioned.c_str());
  return hr;
}

HRESULT RegisterClass(const typelib::Library& library, const typelib::CoClass& c, const std::u16string& modulePath) {
  std::u16string clsid = cmr::GuidToText(*c.clsid);
  HRESULT hr = RegisterProgIds(c, clsid);
  if (FAILED(hr)) return hr;
  std::u16string path = u"CLSID\\" + clsid;
  hr = RemoveTree(path);  // the class key is replaced whole
  if (FAILED(hr)) return hr;
  Key key(HKEY_CLASSES_ROOT, path);
  std::u16string progId = ProgIdOf(c);
  std::u16string apartment = u"Apartment";
  hr = key.Set(nullptr, ClassText(c));
  if (SUCCEEDED(hr)) hr = key.SetSub(u"ProgID", (progId + u".1").c_str());
  if (SUCCEEDED(hr)) hr = key.SetSub(u"VersionIndependentProgID", progId.c_str());
  if (SUCCEEDED(hr)) hr = key.SetSub(u"Programmable", nullptr);
  if (SUCCEEDED(hr)) hr = key.SetSub(u"InprocServer32", modulePath.c_str(), u"ThreadingModel", &apartment);
  if (SUCCEEDED(hr)) hr = key.SetSub(u"TypeLib", cmr::GuidToText(*library.libid).c_str());
  if (SUCCEEDED(hr)) hr = key.Set(u"AppID", cmr::GuidToText(kAppId));
  return hr;
}

std::u16string VersionText(const typelib::Library& library) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u", library.majorVersion, library.minorVersion);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string HexText(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string FolderOf(const std::u16string& path) {
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

}  // namespace

std::u16string ProgIdOf(const typelib::CoClass& coclass) { return kProgIdPrefix + std::u16string(coclass.name); }

HRESULT RegisterClasses(const typelib::Library& library, const std::u16string& modulePath) {
  HRESULT hr = RegisterApplication();
  for (unsigned i = 0; SUCCEEDED(hr) && i < library.classCount; ++i)
    hr = RegisterClass(library, library.classes[i], modulePath);
  return hr;
}

HRESULT UnregisterClasses(const typelib::Library& library) {
  HRESULT hr = S_OK;
  for (unsigned i = 0; SUCCEEDED(hr) && i < library.classCount; ++i) {
    const typelib::CoClass& c = library.classes[i];
    hr = RemoveTree(u"CLSID\\" + cmr::GuidToText(*c.clsid));
    if (SUCCEEDED(hr)) hr = RemoveTree(ProgIdOf(c) + u".1");
    if (SUCCEEDED(hr)) hr = RemoveTree(ProgIdOf(c));
  }
  if (SUCCEEDED(hr)) hr = RemoveTree(u"AppID\\" + cmr::GuidToText(kAppId));
  if (SUCCEEDED(hr)) hr = RemoveTree(std::u16string(u"AppID\\") + kAppName);
  return hr;
}

HRESULT RegisterTypeLibrary(const typelib::Library& library, const std::u16string& path) {
  std::u16string libid = cmr::GuidToText(*library.libid);
  std::u16string version = VersionText(library);
  Key key(HKEY_CLASSES_ROOT, u"TypeLib\\" + libid + u"\\" + version);
  HRESULT hr = key.Set(nullptr, library.helpString ? library.helpString : u"");
  if (SUCCEEDED(hr)) hr = key.SetSub(HexText(library.lcid) + u"\\win32", path.c_str());
  if (SUCCEEDED(hr)) hr = key.SetSub(u"FLAGS", u"0");
  if (SUCCEEDED(hr)) hr = key.SetSub(u"HELPDIR", FolderOf(path).c_str());
  const dispatch::Interface* const* interfaces = library.interfaces;
  for (unsigned i = 0; SUCCEEDED(hr) && i < library.interfaceCount; ++i) {
    Key iface(HKEY_CLASSES_ROOT, u"Interface\\" + cmr::GuidToText(*interfaces[i]->iid));
    hr = iface.Set(nullptr, interfaces[i]->name);
    if (SUCCEEDED(hr)) hr = iface.SetSub(u"ProxyStubClsid", kOleAutomationProxy);
    if (SUCCEEDED(hr)) hr = iface.SetSub(u"ProxyStubClsid32", kOleAutomationProxy);
    if (SUCCEEDED(hr)) hr = iface.SetSub(u"TypeLib", libid.c_str(), u"Version", &version);
  }
  return hr;
}

HRESULT UnregisterTypeLibrary(const typelib::Library& library) {
  std::u16string libid = cmr::GuidToText(*library.libid);
  const dispatch::Interface* const* interfaces = library.interfaces;
  HRESULT hr = S_OK;
  for (unsigned i = 0; SUCCEEDED(hr) && i < library.interfaceCount; ++i)
    hr = RemoveTree(u"Interface\\" + cmr::GuidToText(*interfaces[i]->iid));
  if (SUCCEEDED(hr)) hr = RemoveTree(u"TypeLib\\" + libid + u"\\" + VersionText(library));
  // The library's key goes when no other version is left in it.
  if (SUCCEEDED(hr)) RegDeleteKeyW(HKEY_CLASSES_ROOT, (u"TypeLib\\" + libid).c_str());
  return hr;
}

}  // namespace com
