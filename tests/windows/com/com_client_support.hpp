// The COM client's helpers: checks and their tally, Invoke with owned
// arguments, arrays, the registry, files and the golden case list.
#pragma once

// clang-format off
#include <windows.h>
#include <cguid.h>
#include <oleauto.h>
// clang-format on

#include <cstdio>
#include <cwctype>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

int passed = 0;
int failed = 0;
HRESULT lastHr = S_OK;  // of the last Invoke, shown with a failed check

bool check(bool ok, const char* where, const char* what, const std::wstring& detail) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAIL %s: %s", where, what);
    if (!detail.empty()) std::printf(" [%ls]", detail.c_str());
    if (lastHr != S_OK) std::printf(" (last HRESULT %08lX)", static_cast<unsigned long>(lastHr));
    std::printf("\n");
  }
  return ok;
}

int summary() {
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}

std::wstring hex(HRESULT hr) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// A BSTR that lives until the end of the full expression that made it.
class bstr {
 public:
  explicit bstr(const std::wstring& text) : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~bstr() { SysFreeString(text_); }
  bstr(const bstr&) = delete;
  bstr& operator=(const bstr&) = delete;
  operator BSTR() const { return text_; }

 private:
  BSTR text_;
};

// One argument of an Invoke; by-value ones own their string.
struct Arg {
  VARIANT value;

  static Arg text(const std::wstring& s) {
    Arg a;
    a.value.vt = VT_BSTR;
    a.value.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return a;
  }
  static Arg i2(SHORT n) {
    Arg a;
    a.value.vt = VT_I2;
    a.value.iVal = n;
    return a;
  }
  static Arg i4(LONG n) {
    Arg a;
    a.value.vt = VT_I4;
    a.value.lVal = n;
    return a;
  }
  static Arg textRef(BSTR* s) { return ref(VT_BSTR, s); }
  static Arg i2Ref(SHORT* n) { return ref(VT_I2, n); }
  static Arg i4Ref(LONG* n) { return ref(VT_I4, n); }
  static Arg variantRef(VARIANT* v) { return ref(VT_VARIANT, v); }
  // How a C++ caller passes an array of strings by reference.
  static Arg arrayRef(SAFEARRAY** array) { return ref(VT_ARRAY | VT_BSTR, array); }
  // How a script host passes an array it holds in a variant.
  static Arg variantArrayRef(SAFEARRAY** array) { return ref(VT_ARRAY | VT_VARIANT, array); }

  Arg() { VariantInit(&value); }
  Arg(const Arg& other) {
    VariantInit(&value);
    VariantCopy(&value, const_cast<VARIANT*>(&other.value));
  }
  Arg& operator=(const Arg&) = delete;
  ~Arg() { VariantClear(&value); }

 private:
  static Arg ref(VARTYPE type, void* target) {
    Arg a;
    a.value.vt = static_cast<VARTYPE>(VT_BYREF | type);
    a.value.byref = target;
    return a;
  }
};

// The outcome of one Invoke.
struct Call {
  HRESULT hr = E_FAIL;
  VARIANT result;
  EXCEPINFO exception{};
  UINT argError = ~0u;

  Call() { VariantInit(&result); }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  Call(Call&& other) noexcept : hr(other.hr), result(other.result), exception(other.exception),
                                argError(other.argError) {
    VariantInit(&other.result);
    other.exception = EXCEPINFO{};
  }
  ~Call() {
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }

  bool ok() const { return hr == S_OK; }
  std::wstring text() const {
    if (result.vt != VT_BSTR || result.bstrVal == nullptr) return {};
    return std::wstring(result.bstrVal, SysStringLen(result.bstrVal));
  }
  SHORT i2() const { return result.vt == VT_I2 ? result.iVal : SHORT(-32768); }
  unsigned long scode() const { return hr == DISP_E_EXCEPTION ? static_cast<unsigned long>(exception.scode) : 0; }
  std::wstring source() const { return exception.bstrSource != nullptr ? exception.bstrSource : L""; }
  std::wstring description() const {
    return exception.bstrDescription != nullptr ? exception.bstrDescription : L"";
  }
};

// Calls a method by dispatch identifier with the arguments in interface order.
Call invoke(IDispatch* object, DISPID id, std::vector<Arg> args, WORD flags = DISPATCH_METHOD) {
  // Shallow copies: `args` keeps owning the strings.
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->value);
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  Call call;
  call.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &call.result,
                           &call.exception, &call.argError);
  lastHr = call.hr == DISP_E_EXCEPTION ? call.exception.scode : call.hr;
  return call;
}

DISPID dispId(IDispatch* object, const std::wstring& name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

IDispatch* create(const CLSID& clsid) {
  IDispatch* object = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&object)))) {
    return nullptr;
  }
  return object;
}

// A one-dimensional array of BSTR, owned.
class SafeArray {
 public:
  explicit SafeArray(std::initializer_list<const wchar_t*> items)
      : array_(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size()))) {
    LONG k = 0;
    for (const wchar_t* item : items) {
      BSTR text = SysAllocString(item);
      SafeArrayPutElement(array_, &k, text);
      SysFreeString(text);
      ++k;
    }
  }
  ~SafeArray() { SafeArrayDestroy(array_); }
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  SAFEARRAY** pointer() { return &array_; }
  SAFEARRAY* get() { return array_; }
  std::vector<std::wstring> items() const {
    std::vector<std::wstring> result;
    LONG upper = -1;
    SafeArrayGetUBound(array_, 1, &upper);
    for (LONG k = 0; k <= upper; ++k) {
      BSTR text = nullptr;
      SafeArrayGetElement(array_, &k, &text);
      result.emplace_back(text != nullptr ? text : L"");
      SysFreeString(text);
    }
    return result;
  }

 private:
  SAFEARRAY* array_;
};

// A one-dimensional array of VARIANT holding strings, owned.
class VariantArray {
 public:
  explicit VariantArray(std::initializer_list<const wchar_t*> items)
      : array_(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()))) {
    LONG k = 0;
    for (const wchar_t* item : items) {
      VARIANT v;
      VariantInit(&v);
      v.vt = VT_BSTR;
      v.bstrVal = SysAllocString(item);
      SafeArrayPutElement(array_, &k, &v);
      VariantClear(&v);
      ++k;
    }
  }
  ~VariantArray() { SafeArrayDestroy(array_); }
  VariantArray(const VariantArray&) = delete;
  VariantArray& operator=(const VariantArray&) = delete;
  SAFEARRAY** pointer() { return &array_; }

 private:
  SAFEARRAY* array_;
};

std::wstring guidString(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

// A REG_SZ value under HKEY_CLASSES_ROOT ("" when absent); null name: the default value.
std::wstring registryText(const std::wstring& key, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof buffer - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  return buffer;
}

bool endsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool endsWithIgnoringCase(std::wstring text, std::wstring tail) {
  for (wchar_t& ch : text) ch = static_cast<wchar_t>(std::towlower(ch));
  for (wchar_t& ch : tail) ch = static_cast<wchar_t>(std::towlower(ch));
  return endsWith(text, tail);
}

void replaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

size_t fileCount(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  size_t count = 0;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++count;
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return count;
}

void writeWholeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// A file's bytes, each widened to one character (the statements are ASCII).
std::wstring readWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::wstring text;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    for (DWORD k = 0; k < read; ++k) text += static_cast<wchar_t>(static_cast<unsigned char>(buffer[k]));
  }
  CloseHandle(file);
  return text;
}

struct GoldenCase {
  std::wstring folder;
  std::wstring expected;
  std::wstring comment, begin, end, type;
  SHORT threshold = 0;
  LONG session = 0;
  bool legacy = false;
};

// CASES.txt: "<folder> <expected.sql> --comment // --begin /* ... [--legacy]".
std::vector<GoldenCase> loadGoldenCases(const std::wstring& golden) {
  std::vector<GoldenCase> cases;
  const std::wstring text = readWholeFile(golden + L"\\CASES.txt");
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::vector<std::wstring> words;
    size_t at = start;
    while (at < end) {
      while (at < end && (text[at] == L' ' || text[at] == L'\r')) ++at;
      size_t wordEnd = at;
      while (wordEnd < end && text[wordEnd] != L' ' && text[wordEnd] != L'\r') ++wordEnd;
      if (wordEnd > at) words.push_back(text.substr(at, wordEnd - at));
      at = wordEnd;
    }
    start = end + 1;
    if (words.size() < 2) continue;
    GoldenCase c;
    c.folder = words[0];
    c.expected = words[1];
    for (size_t k = 2; k < words.size(); ++k) {
      const std::wstring& w = words[k];
      const std::wstring next = k + 1 < words.size() ? words[k + 1] : L"";
      if (w == L"--legacy") {
        c.legacy = true;
        continue;
      }
      if (w == L"--comment") c.comment = next;
      if (w == L"--begin") c.begin = next;
      if (w == L"--end") c.end = next;
      if (w == L"--type") c.type = next;
      if (w == L"--threshold") c.threshold = static_cast<SHORT>(std::stoi(next));
      if (w == L"--session") c.session = std::stol(next);
      ++k;
    }
    cases.push_back(c);
  }
  return cases;
}

}  // namespace

// The vtable of _Corvane as its type library describes it. Outside the
// anonymous namespace: an abstract class the compiler sees whole, with no
// implementation, would let it assume no object of it can exist.
struct CorvaneVtable : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE SaveAFile(BSTR*, BSTR, BSTR*, LONG*, BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE getFileList(BSTR, BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE compareFileList(BSTR, BSTR, BSTR, BSTR, BSTR, SHORT, SHORT, LONG,
                                                    BSTR, BSTR, BSTR, BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE matchFiles(BSTR, BSTR, BSTR, BSTR, SHORT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE compareMatchedFiles(BSTR, BSTR, BSTR, BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE insertFileCompareResults(
      VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
      VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
      VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE insertDirCompareResults(VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                                            VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE determineChangedLine(BSTR, BSTR, SHORT, SHORT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE determineChangedLine_old(BSTR, BSTR, SHORT, SHORT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE checkFileExists(BSTR, SHORT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE checkDirExists(BSTR, SHORT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE calBlankLines(SAFEARRAY**, LONG*) = 0;
  virtual HRESULT STDMETHODCALLTYPE exportFile(BSTR, BSTR, BSTR, BSTR, SHORT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE physicalCountOnly(BSTR, BSTR, SHORT*, BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE scanDir(BSTR, BSTR) = 0;
};
