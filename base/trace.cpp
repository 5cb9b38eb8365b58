#include "base/trace.h"

#include <cstdio>
#include <vector>

#include "base/exceptions.h"
#include "base/path_text.h"
#include "base/text.h"
#include "platform/api/kernel.h"
#include "platform/api/registry.h"
#include "platform/api/wide.h"

namespace cmr {
namespace {

constexpr size_t kLineBuffer = 16384;
constexpr char16_t kClosedLine[] = u"Trace file closed.\r\n";

// Saves the thread's last error and puts it back at the end of the scope.
class LastErrorKeeper {
 public:
  LastErrorKeeper() : saved_(GetLastError()) {}
  ~LastErrorKeeper() { SetLastError(saved_); }

 private:
  DWORD saved_;
};

HKEY OpenTracingKey() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Calomar Overseer\\Tracing", 0, KEY_QUERY_VALUE, &key) == 0)
    return key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Wow6432Node\\Calomar Overseer\\Tracing", 0, KEY_QUERY_VALUE,
                    &key) == 0)
    return key;
  return nullptr;
}

DWORD ReadLevel(HKEY key, const std::u16string& name, DWORD defaultLevel) {
  DWORD type = 0, value = 0, size = sizeof value;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size);
  return (rc != 0 || type != REG_DWORD) ? defaultLevel : value;
}

std::u16string ExecutableFolder() {
  std::vector<WCHAR> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return DirectoryOfPath(std::u16string(plat::U(buffer.data()), n));
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string MutexNameFor(std::u16string path) {
  for (auto& c : path)
    if (c == u'\\') c = u'/';
  return path;
}

}  // namespace

Tracer& Tracer::Instance() {
  static Tracer* tracer = new Tracer();  // outlives every static user
  return *tracer;
}

void Tracer::ConfigureTracingFromRegistry(const std::u16string& name, DWORD sizeMegabytes, DWORD defaultLevel) {
  HKEY key = OpenTracingKey();
  if (key == nullptr) return;
  DWORD level = ReadLevel(key, name, defaultLevel);
  if (level != 0) {
    std::u16string folder = JoinPath(ExecutableFolder(), u"Tracing");
    CreateDirectoryW(folder.c_str(), nullptr);
    OpenTraceFile(name, level, folder + u"\\" + name + u".log", sizeMegabytes);
  }
  RegCloseKey(key);
}

void Tracer::OpenTraceFile(const std::u16string& name, DWORD level, const std::u16string& path, DWORD sizeMegabytes) {
  if (mode_ & kFileMode) AppendText(kClosedLine);
  sizeLimit_ = static_cast<ULONGLONG>(sizeMegabytes) << 20;
  keepSize_ = static_cast<ULONGLONG>(sizeMegabytes & 0xFFF) << 19;
  threshold_ = level;
  if (level == 0) {
    mode_ = 0;
    return;
  }
  mode_ = kFileMode;
  if (!path.empty()) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexNameFor(path).c_str());
    if (mutex_ != nullptr) CloseHandle(mutex_);
    mutex_ = mutex;
    path_ = path;
  }
  SYSTEMTIME t;
  GetLocalTime(&t);
  AppendText(FormatString(u"%s trace file (%s). Created at %.02d/%.02d/%.02d %.02d:%.02d:%.02d.\r\n", name, tag_,
                          t.wMonth, t.wDay, t.wYear, t.wHour, t.wMinute, t.wSecond));
  TraceSystemVersion();
}

void Tracer::TraceSystemVersion() {
  try {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ThrowLastErrorIfFalse(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)) != FALSE);
    Trace(30, u"Windows %d.%d.%d, %s, platform: %d", info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
          plat::U(info.szCSDVersion), info.dwPlatformId);
  } catch (const Win32Exception& e) {
    Trace(10, u"Cannot obtain system version (%d: %s)", e.Code(), e.Details());
    return;
  }
  try {
    HKEY key = nullptr;
    ThrowIfError(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Internet Explorer", 0, KEY_QUERY_VALUE, &key));
    WCHAR version[256] = {};
    DWORD type = 0, size = sizeof version - sizeof(WCHAR);
    LONG rc = RegQueryValueExW(key, u"Version", nullptr, &type, reinterpret_cast<LPBYTE>(version), &size);
    RegCloseKey(key);
    ThrowIfError(rc);
    Trace(30, u"Internet Explorer version: %s", plat::U(version));
  } catch (const Win32Exception&) {
  }
}

void Tracer::Shutdown() {
  if (mode_ & kFileMode) AppendText(kClosedLine);
  mode_ = 0;
  if (mutex_ != nullptr) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }
}

void Tracer::WriteLine(DWORD level, std::u16string_view message) {
  LastErrorKeeper keep;
  if (!WouldWrite(level)) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  std::u16string line =
      FormatString(u"%-5d|%.02d/%.02d/%.04d %.02d:%.02d:%.02d.%03d|%5d|%2d| ", GetCurrentProcessId(), t.wMonth, t.wDay,
                   t.wYear, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, GetCurrentThreadId(), level);
  size_t room = kLineBuffer - 3 > line.size() ? kLineBuffer - 3 - line.size() : 0;
  line.append(message.substr(0, room));
  line.append(u"\r\n");
  if (DWORD e = AppendText(line))
    OutputDebugStringW(FormatString(u"cmr: failed to trace to file %s: err=%d", path_, e).c_str());
}

DWORD Tracer::AppendText(std::u16string_view text) {
  if (!(mode_ & kFileMode) || text.empty()) return 0;
  WaitForSingleObject(mutex_, INFINITE);
  DWORD result = 0;
  FILE* f = _wfopen(path_.c_str(), u"ab");
  if (f == nullptr) {
    result = GetLastError();
  } else {
    std::string bytes = Utf16ToUtf8(text);
    if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
      result = GetLastError();
      std::fclose(f);
    } else {
      long size = std::ftell(f);
      std::fclose(f);
      if (size > 0 && static_cast<ULONGLONG>(size) > sizeLimit_) CutToKeepSize(path_, size);
    }
  }
  ReleaseMutex(mutex_);
  return result;
}

void Tracer::CutToKeepSize(const std::u16string& path, long size) {
  std::vector<char> kept(static_cast<size_t>(keepSize_));
  FILE* in = _wfopen(path.c_str(), u"rb");
  if (in == nullptr) return;
  std::fseek(in, size - static_cast<long>(keepSize_), SEEK_SET);
  size_t n = std::fread(kept.data(), 1, kept.size(), in);
  std::fclose(in);
  FILE* out = _wfopen(path.c_str(), u"wb");
  if (out == nullptr) return;
  std::fwrite(kept.data(), 1, n, out);
  std::fclose(out);
}

}  // namespace cmr
