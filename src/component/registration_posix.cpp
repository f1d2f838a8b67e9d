// DllRegisterServer, DllUnregisterServer and CLSIDFromProgID on POSIX: the
// registrations live in a per-user INI-style file ($CVN_REGISTRY, else
// $XDG_DATA_HOME/cvn/registry.ini, else ~/.local/share/cvn/registry.ini).

#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "component/automation_guids.hpp"
#include "component/cvn_automation.h"
#include "component/guarded_call.hpp"
#include "component/interface.hpp"
#include "platform/atomic_file.hpp"
#include "platform/error.hpp"
#include "platform/registry_file_posix.hpp"
#include "platform/utf.hpp"
#include "platform/whole_file.hpp"

namespace cvn::automation {
namespace {

// HRESULT_FROM_WIN32 of the codes that match what errno tells.
constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003u);
constexpr HRESULT kWriteProtect = static_cast<HRESULT>(0x80070013u);
constexpr HRESULT kDiskFull = static_cast<HRESULT>(0x80070070u);
// The standard automation marshaller, the proxy of every dispatch interface.
constexpr const char* kAutomationProxy = "{00020424-0000-0000-C000-000000000046}";

HRESULT fromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return E_ACCESSDENIED;
    case ENOENT:
    case ENOTDIR:
      return kPathNotFound;
    case EROFS:
      return kWriteProtect;
    case ENOSPC:
    case EDQUOT:
      return kDiskFull;
    case ENOMEM:
      return E_OUTOFMEMORY;
    default:
      return SELFREG_E_CLASS;
  }
}

HRESULT fromError(const Error& error) {
  switch (error.number()) {
    case kPermissionDenied:
      return E_ACCESSDENIED;
    case cvn::kPathNotFound:
      return kPathNotFound;
    case kOutOfMemory:
      return E_OUTOFMEMORY;
    default:
      return SELFREG_E_CLASS;
  }
}

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

std::optional<std::string> registryPath() {
  if (auto path = environment("CVN_REGISTRY")) return path;
  auto data = environment("XDG_DATA_HOME");
  if (!data || data->front() != '/') {  // relative values are to be ignored
    auto home = environment("HOME");
    if (!home) {
      const passwd* user = getpwuid(getuid());
      if (user == nullptr || user->pw_dir == nullptr || *user->pw_dir == '\0') return std::nullopt;
      home = std::string(user->pw_dir);
    }
    data = *home + "/.local/share";
  }
  return *data + "/cvn/registry.ini";
}

// Creates the folders of a path that are missing (0700, as for per-user data).
HRESULT createFoldersFor(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return fromErrno(errno);
  }
  return S_OK;
}

// The file's bytes; a file that does not exist reads as empty.
HRESULT readFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  try {
    if (const auto read = readFileIfPresent(utf8ToUtf16(path))) {
      bytes.assign(read->begin(), read->end());
    }
  } catch (const Error& error) {
    return fromError(error);
  }
  return S_OK;
}

HRESULT writeFile(const std::string& path, const std::string& bytes) {
  const HRESULT hr = createFoldersFor(path);
  if (FAILED(hr)) return hr;
  try {
    writeFileAtomically(utf8ToUtf16(path), bytes);
  } catch (const Error& error) {
    return fromError(error);
  }
  return S_OK;
}

// The absolute path of the file this code was loaded from.
std::optional<std::string> libraryPath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) == 0 ||
      info.dli_fname == nullptr || *info.dli_fname == '\0') {
    return std::nullopt;
  }
  char resolved[PATH_MAX];
  if (::realpath(info.dli_fname, resolved) == nullptr) return std::nullopt;
  return std::string(resolved);
}

std::string typeLibSection() {
  return "TypeLib\\" + guidText(LIBID_CVN_Core) + "\\1.0";
}

std::vector<RegistrySection> sections(const std::string& library) {
  const std::string libid = guidText(LIBID_CVN_Core);
  std::vector<RegistrySection> result;
  result.push_back(
      {typeLibSection(), {{"Name", CVN_TYPELIB_NAME}, {"Path", library}, {"Flags", "0"}}});
  for (const ClassIdentity& entry : kClasses) {
    const std::string name(entry.name.begin(), entry.name.end());  // ASCII
    const std::string progId = "CVN_Core." + name;
    const std::string clsid = guidText(entry.clsid);
    result.push_back({"CLSID\\" + clsid,
                      {{"Name", progId},
                       {"ProgID", progId},
                       {"InprocServer32", library},
                       {"ThreadingModel", "Apartment"},
                       {"TypeLib", libid},
                       {"Version", "1.0"}}});
    result.push_back({progId, {{"Name", progId}, {"CLSID", clsid}}});
    result.push_back({"Interface\\" + guidText(entry.iid),
                      {{"Name", "_" + name},
                       {"ProxyStubClsid32", kAutomationProxy},
                       {"TypeLib", libid},
                       {"Version", "1.0"}}});
  }
  return result;
}

std::vector<std::string> sectionNames() {
  std::vector<std::string> names;
  for (const RegistrySection& section : sections("")) names.push_back(section.name);
  return names;
}

HRESULT registerServer() {
  const auto path = registryPath();
  const auto library = libraryPath();
  if (!path || !library) return SELFREG_E_CLASS;
  // A line break in the path would end the entry early.
  if (library->find_first_of("\r\n") != std::string::npos) return SELFREG_E_CLASS;
  std::string bytes;
  HRESULT hr = readFile(*path, bytes);
  if (FAILED(hr)) return hr;
  RegistryText text(std::move(bytes));
  const std::string before = text.bytes();
  text.put(sections(*library));
  if (text.bytes() == before) return S_OK;
  return writeFile(*path, text.bytes());
}

HRESULT unregisterServer() {
  const auto path = registryPath();
  if (!path) return SELFREG_E_CLASS;
  std::string bytes;
  HRESULT hr = readFile(*path, bytes);
  if (FAILED(hr)) return hr;
  RegistryText text(std::move(bytes));
  if (text.remove(sectionNames()) == 0) return S_OK;
  return writeFile(*path, text.bytes());
}

// Letters, digits, '.', '_' and '-', at most 39 characters, not starting
// with a digit.
std::optional<std::string> progIdText(LPCOLESTR progId) {
  std::string text;
  for (const OLECHAR* p = progId; *p != 0; ++p) {
    const char16_t ch = *p;
    const bool letter = (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
    const bool digit = ch >= u'0' && ch <= u'9';
    if (!letter && !digit && ch != u'.' && ch != u'_' && ch != u'-') return std::nullopt;
    if (digit && text.empty()) return std::nullopt;
    if (text.size() == 39) return std::nullopt;
    text += static_cast<char>(ch);
  }
  if (text.empty()) return std::nullopt;
  return text;
}

HRESULT clsidFromProgId(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
  if (lpszProgID == nullptr || lpclsid == nullptr) return E_INVALIDARG;
  *lpclsid = GUID{};
  const auto progId = progIdText(lpszProgID);
  if (!progId) return CO_E_CLASSSTRING;
  const auto path = registryPath();
  if (!path) return REGDB_E_CLASSNOTREG;
  std::string bytes;
  if (FAILED(readFile(*path, bytes))) return REGDB_E_READREGDB;
  const auto clsid = RegistryText(std::move(bytes)).value(*progId, "CLSID");
  const auto guid = clsid ? parseGuid(*clsid) : std::nullopt;
  if (!guid) return REGDB_E_CLASSNOTREG;
  *lpclsid = *guid;
  return S_OK;
}

}  // namespace
}  // namespace cvn::automation

extern "C" HRESULT DllRegisterServer(void) {
  return cvn::automation::guarded([] { return cvn::automation::registerServer(); });
}

extern "C" HRESULT DllUnregisterServer(void) {
  return cvn::automation::guarded([] { return cvn::automation::unregisterServer(); });
}

extern "C" HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
  return cvn::automation::guarded(
      [&] { return cvn::automation::clsidFromProgId(lpszProgID, lpclsid); });
}
