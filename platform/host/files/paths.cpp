#include "platform/host/files/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "platform/api/errors.h"
#include "platform/api/utf.h"
#include "platform/host/host.h"

namespace host {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::vector<std::u16string> SplitComponents(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::u16string current;
  for (char16_t c : path) {
    if (IsSeparator(c)) {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

// "." and ".." resolved lexically; ".." never climbs above the base.
std::vector<std::u16string> Normalize(const std::vector<std::u16string>& parts) {
  std::vector<std::u16string> out;
  for (const auto& p : parts) {
    if (p == u".") continue;
    if (p == u"..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(p);
  }
  return out;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` ignoring case, or `name`.
std::string MatchEntry(const std::string& dir, const std::string& name) {
  std::string candidate = dir == "/" ? "/" + name : dir + "/" + name;
  if (Exists(candidate)) return name;
  DIR* d = opendir(dir.c_str());
  if (!d) return name;
  std::u16string wanted = plat::Utf8ToUtf16(name);
  std::string found = name;
  while (dirent* e = readdir(d)) {
    if (EqualNoCase(plat::Utf8ToUtf16(e->d_name), wanted)) {
      found = e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}

std::string Resolve(std::string base, const std::vector<std::u16string>& parts) {
  bool missing = false;
  for (const auto& p : parts) {
    std::string name = plat::Utf16ToUtf8(p);
    if (!missing) {
      name = MatchEntry(base, name);
      missing = !Exists(base == "/" ? "/" + name : base + "/" + name);
    }
    base = base == "/" ? "/" + name : base + "/" + name;
  }
  return base;
}

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

char DriveFolder(char16_t letter) { return static_cast<char>(letter >= u'a' ? letter - 32 : letter); }

DWORD MapDrivePath(Computer& computer, char16_t letter, std::vector<std::u16string> rest, DWORD noRootError,
                   std::string* out) {
  if (DriveFolder(letter) == 'Z' && &computer == &Host::Get().Local()) {
    *out = Resolve("/", Normalize(rest));
    return 0;
  }
  if (computer.Root().empty()) return noRootError;
  std::string drive = MatchEntry(computer.Root(), std::string(1, DriveFolder(letter)));
  *out = Resolve(computer.Root() + "/" + drive, Normalize(rest));
  return 0;
}

DWORD MapUncPath(std::u16string_view path, std::string* out) {
  auto parts = SplitComponents(path);
  if (parts.empty()) return ERROR_BAD_NETPATH;
  Computer* computer = Host::Get().Find(parts[0]);
  if (!computer || !computer->Reachable() || computer->Root().empty()) return ERROR_BAD_NETPATH;
  if (parts.size() < 2) return ERROR_BAD_NET_NAME;
  const std::u16string& share = parts[1];
  std::vector<std::u16string> rest(parts.begin() + 2, parts.end());
  if (EqualNoCase(share, u"ADMIN$")) {
    rest.insert(rest.begin(), u"Windows");
    return MapDrivePath(*computer, u'C', rest, ERROR_BAD_NETPATH, out);
  }
  if (share.size() == 2 && IsDriveLetter(share[0]) && share[1] == u'$')
    return MapDrivePath(*computer, share[0], rest, ERROR_BAD_NETPATH, out);
  return ERROR_BAD_NET_NAME;
}

}  // namespace

DWORD MapPath(std::u16string_view path, std::string* linuxPath) {
  if (path.size() >= 4 && path.substr(0, 4) == u"\\\\?\\") path.remove_prefix(4);
  if (path.empty()) return ERROR_INVALID_NAME;
  Lock lock;
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':')
    return MapDrivePath(Host::Get().Local(), path[0], SplitComponents(path.substr(2)), ERROR_PATH_NOT_FOUND, linuxPath);
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return MapUncPath(path.substr(2), linuxPath);
  std::string plain = plat::Utf16ToUtf8(path);
  for (char& c : plain)
    if (c == '\\') c = '/';
  *linuxPath = plain;
  return 0;
}

std::u16string WindowsPathOf(std::string_view linuxPath) {
  std::u16string out = u"Z:";
  std::u16string rest = plat::Utf8ToUtf16(linuxPath);
  for (char16_t& c : rest)
    if (c == u'/') c = u'\\';
  if (rest.empty() || rest[0] != u'\\') out.push_back(u'\\');
  return out + rest;
}

}  // namespace host
