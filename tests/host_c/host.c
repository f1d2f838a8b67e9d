/* A late-binding host written in C: loads libcvn_core.so (argv[1]) at run
 * time, registers it in a registry file of its own, creates CVN_Core.Corvane
 * by its programmatic identifier and compares a small tree through
 * IDispatch::Invoke. Prints "N passed, N failed"; exits non-zero on failure. */
#define _XOPEN_SOURCE 700
#define INITGUID
#include "cvn_automation.h"

#include <dlfcn.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int passed = 0;
static int failed = 0;

static void check(int ok, const char* what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    printf("FAIL: %s\n", what);
  }
}

static struct {
  CVN_PFN_SysAllocStringLen SysAllocStringLen;
  CVN_PFN_SysFreeString SysFreeString;
  CVN_PFN_SysStringLen SysStringLen;
  CVN_PFN_VariantInit VariantInit;
  CVN_PFN_VariantClear VariantClear;
  CVN_PFN_CLSIDFromProgID CLSIDFromProgID;
  CVN_PFN_DllGetClassObject DllGetClassObject;
  CVN_PFN_DllCanUnloadNow DllCanUnloadNow;
  CVN_PFN_DllRegisterServer DllRegisterServer;
  CVN_PFN_DllUnregisterServer DllUnregisterServer;
} api;

/* dlsym returns an object pointer; copying its bytes is the portable way to a function pointer. */
static int load(void* library, const char* name, void* function, size_t size) {
  void* symbol = dlsym(library, name);
  if (symbol == NULL) {
    printf("missing export %s\n", name);
    return 0;
  }
  memcpy(function, &symbol, size);
  return 1;
}

#define LOAD(library, name) load(library, #name, &api.name, sizeof api.name)

/* ASCII or UTF-8 text without surrogate pairs as a BSTR. */
static BSTR bstr(const char* text) {
  OLECHAR units[4096];
  UINT n = 0;
  const unsigned char* p = (const unsigned char*)text;
  while (*p != 0 && n < 4096) {
    unsigned code = *p++;
    if (code >= 0xE0) {
      code = ((code & 0x0F) << 12) | ((p[0] & 0x3Fu) << 6) | (p[1] & 0x3Fu);
      p += 2;
    } else if (code >= 0xC0) {
      code = ((code & 0x1F) << 6) | (p[0] & 0x3Fu);
      p += 1;
    }
    units[n++] = (OLECHAR)code;
  }
  return api.SysAllocStringLen(units, n);
}

/* A BSTR as UTF-8 (basic plane), to be freed by the caller. */
static char* utf8(BSTR text) {
  const UINT n = api.SysStringLen(text);
  char* out = malloc(3 * (size_t)n + 1);
  size_t k = 0;
  for (UINT i = 0; i < n; ++i) {
    const unsigned code = text[i];
    if (code < 0x80) {
      out[k++] = (char)code;
    } else if (code < 0x800) {
      out[k++] = (char)(0xC0 | (code >> 6));
      out[k++] = (char)(0x80 | (code & 0x3F));
    } else {
      out[k++] = (char)(0xE0 | (code >> 12));
      out[k++] = (char)(0x80 | ((code >> 6) & 0x3F));
      out[k++] = (char)(0x80 | (code & 0x3F));
    }
  }
  out[k] = 0;
  return out;
}

static void setText(VARIANT* v, const char* text) {
  api.VariantInit(v);
  v->vt = VT_BSTR;
  v->bstrVal = bstr(text);
}

static void setShort(VARIANT* v, SHORT value) {
  api.VariantInit(v);
  v->vt = VT_I2;
  v->iVal = value;
}

static void setLong(VARIANT* v, LONG value) {
  api.VariantInit(v);
  v->vt = VT_I4;
  v->lVal = value;
}

/* Calls a method by name with its arguments in interface order, as a late-binding client does. */
static HRESULT call(IDispatch* object, const OLECHAR* name, VARIANT* args, UINT count,
                    VARIANT* result, EXCEPINFO* exception, UINT* argErr) {
  LPOLESTR names[1];
  DISPID id = DISPID_UNKNOWN;
  VARIANT reversed[16];
  DISPPARAMS params;
  HRESULT hr;
  UINT k;
  names[0] = (LPOLESTR)name;
  hr = object->lpVtbl->GetIDsOfNames(object, &IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  for (k = 0; k < count; ++k) reversed[k] = args[count - 1 - k];
  params.rgvarg = reversed;
  params.rgdispidNamedArgs = NULL;
  params.cArgs = count;
  params.cNamedArgs = 0;
  api.VariantInit(result);
  memset(exception, 0, sizeof *exception);
  return object->lpVtbl->Invoke(object, id, &IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                &params, result, exception, argErr);
}

static void clearAll(VARIANT* args, UINT count) {
  UINT k;
  for (k = 0; k < count; ++k) api.VariantClear(&args[k]);
}

static void writeFile(const char* folder, const char* name, const char* bytes) {
  char path[4096];
  FILE* file;
  snprintf(path, sizeof path, "%s/%s", folder, name);
  file = fopen(path, "wb");
  if (file == NULL) return;
  fputs(bytes, file);
  fclose(file);
}

static int removeEntry(const char* path, const struct stat* st, int flag, struct FTW* ftw) {
  (void)st;
  (void)flag;
  (void)ftw;
  return remove(path);
}

#define FILE_HEAD                                                                               \
  "insert into file_compare_results(sessionid, filename, newlines, deletedlines, samelines, "   \
  "commentlinesinold, changedlines, totallinesinold, totallinesinnew, commentlinesinnew, "      \
  "blanklinesinold, blanklinesinnew,samelines_comments,samelines_code,changedlines_comments,"   \
  "changedlines_code,deletedlines_comments,deletedlines_code,newlines_comments,newlines_code) " \
  "values "

/* The statements of the C++ API for the tree below, with the roots in place. */
static char* expectedStatements(const char* oldRoot, const char* newRoot) {
  const size_t size = 4096;
  char* text = malloc(size);
  snprintf(text, size,
           FILE_HEAD "(7,'a.c',0,0,2,1,1,3,3,1,1,1,1,1,0,1,0,0,0,0)|||" FILE_HEAD
                     "(7,'gone.c',0,1,0,0,0,1,0,0,0,0,0,0,0,0,0,1,0,0)|||" FILE_HEAD
                     "(7,'added.c',1,0,0,0,0,0,1,0,0,1,0,0,0,0,0,0,0,1)|||"
                     "insert into dir_compare_results(sessionid, samefiles, deletedfiles, "
                     "newfiles, oldpath, newpath) values (7,1,1,1,'%s/','%s/')|||",
           oldRoot, newRoot);
  return text;
}

/* getFileList joins with carriage returns; compareFileList takes "||". */
static char* comparisonList(const char* scanned) {
  char* list = malloc(2 * strlen(scanned) + 1);
  size_t k = 0;
  for (; *scanned != 0; ++scanned) {
    if (*scanned == '\r') {
      list[k++] = '|';
      list[k++] = '|';
    } else {
      list[k++] = *scanned;
    }
  }
  list[k] = 0;
  return list;
}

static void compareTree(IDispatch* object, const char* root) {
  char oldRoot[1024], newRoot[1024], expectedList[4096], missing[2048];
  VARIANT args[11], result;
  EXCEPINFO exception;
  UINT argErr = 99;
  char *oldScan = NULL, *newScan = NULL, *oldList, *newList, *statements, *expected;
  HRESULT hr;

  snprintf(oldRoot, sizeof oldRoot, "%s/old", root);
  snprintf(newRoot, sizeof newRoot, "%s/new", root);
  mkdir(oldRoot, 0700);
  mkdir(newRoot, 0700);
  writeFile(oldRoot, "a.c", "int a;\n// note\n\nint b;\n");
  writeFile(oldRoot, "gone.c", "x\n");
  writeFile(newRoot, "a.c", "int a;\n// note\n\nint c;\n");
  writeFile(newRoot, "added.c", "y\n\n");

  setText(&args[0], oldRoot);
  hr = call(object, u"getFileList", args, 1, &result, &exception, &argErr);
  check(hr == S_OK && result.vt == VT_BSTR, "getFileList of the old tree");
  if (hr == S_OK) oldScan = utf8(result.bstrVal);
  snprintf(expectedList, sizeof expectedList, "%s/a.c\r%s/gone.c", oldRoot, oldRoot);
  check(oldScan != NULL && strcmp(oldScan, expectedList) == 0, "the old tree's files");
  api.VariantClear(&result);
  clearAll(args, 1);

  setText(&args[0], newRoot);
  hr = call(object, u"GETFILELIST", args, 1, &result, &exception, &argErr);
  check(hr == S_OK, "getFileList of the new tree, named in capitals");
  if (hr == S_OK) newScan = utf8(result.bstrVal);
  api.VariantClear(&result);
  clearAll(args, 1);
  if (oldScan == NULL || newScan == NULL) {
    free(oldScan);
    free(newScan);
    return;
  }

  oldList = comparisonList(oldScan);
  newList = comparisonList(newScan);
  setText(&args[0], oldRoot);
  setText(&args[1], newRoot);
  setText(&args[2], oldList);
  setText(&args[3], newList);
  setText(&args[4], "//");
  setShort(&args[5], 3);
  setShort(&args[6], 0);
  setLong(&args[7], 7);
  setText(&args[8], "/*");
  setText(&args[9], "*/");
  setText(&args[10], "2");
  hr = call(object, u"compareFileList", args, 11, &result, &exception, &argErr);
  check(hr == S_OK && result.vt == VT_BSTR, "compareFileList");
  if (hr == S_OK) {
    statements = utf8(result.bstrVal);
    expected = expectedStatements(oldRoot, newRoot);
    check(strcmp(statements, expected) == 0, "the statements equal the C++ API's");
    if (strcmp(statements, expected) != 0)
      printf("got:      %s\nexpected: %s\n", statements, expected);
    free(statements);
    free(expected);
  }
  api.VariantClear(&result);

  /* Text where diffThershold (position 5 of 11) belongs: rgvarg index 11 - 1 - 5. */
  api.VariantClear(&args[5]);
  setText(&args[5], "three");
  hr = call(object, u"compareFileList", args, 11, &result, &exception, &argErr);
  check(hr == DISP_E_TYPEMISMATCH && argErr == 5, "a type mismatch names its argument");
  clearAll(args, 11);

  /* A file that is not there: error 53 in the exception information. */
  snprintf(missing, sizeof missing, "%s/missing.c", oldRoot);
  setText(&args[0], oldRoot);
  setText(&args[1], missing);
  setText(&args[2], missing);
  hr = call(object, u"compareMatchedFiles", args, 3, &result, &exception, &argErr);
  check(hr == DISP_E_EXCEPTION, "a missing file fails inside the method");
  check(exception.scode == (SCODE)0x800A0035L && exception.wCode == 0, "error number 53");
  if (exception.bstrSource != NULL) {
    char* source = utf8(exception.bstrSource);
    check(strcmp(source, "CVN_Core.Corvane") == 0, "the exception names its source");
    free(source);
  } else {
    check(0, "the exception names its source");
  }
  check(exception.bstrDescription != NULL && api.SysStringLen(exception.bstrDescription) > 0,
        "the exception describes the failure");
  api.SysFreeString(exception.bstrSource);
  api.SysFreeString(exception.bstrDescription);
  api.VariantClear(&result);
  clearAll(args, 3);

  free(oldList);
  free(newList);
  free(oldScan);
  free(newScan);
}

static void run(const char* root) {
  IClassFactory* factory = NULL;
  IDispatch* object = NULL;
  CLSID clsid;
  HRESULT hr;

  check(api.DllRegisterServer() == S_OK, "DllRegisterServer");
  memset(&clsid, 0, sizeof clsid);
  hr = api.CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid);
  check(hr == S_OK && memcmp(&clsid, &CLSID_Corvane, sizeof clsid) == 0,
        "CLSIDFromProgID finds CVN_Core.Corvane");
  hr = api.DllGetClassObject(&clsid, &IID_IClassFactory, (void**)&factory);
  check(hr == S_OK && factory != NULL, "DllGetClassObject");
  if (factory == NULL) return;
  hr = factory->lpVtbl->CreateInstance(factory, NULL, &IID_IDispatch, (void**)&object);
  check(hr == S_OK && object != NULL, "CreateInstance");
  check(factory->lpVtbl->Release(factory) == 0, "the factory is released");
  if (object == NULL) return;

  check(api.DllCanUnloadNow() == S_FALSE, "an object keeps the library in use");
  compareTree(object, root);
  check(object->lpVtbl->Release(object) == 0, "the object is released");
  check(api.DllCanUnloadNow() == S_OK, "DllCanUnloadNow once everything is released");

  check(api.DllUnregisterServer() == S_OK, "DllUnregisterServer");
  check(api.CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid) == REGDB_E_CLASSNOTREG,
        "nothing is registered afterwards");
}

int main(int argc, char** argv) {
  char root[] = "/tmp/cvn-host-XXXXXX";
  char registry[4096];
  void* library;
  int loaded;

  if (argc < 2) {
    printf("usage: %s path/to/libcvn_core.so\n", argv[0]);
    return 2;
  }
  if (mkdtemp(root) == NULL) {
    printf("cannot create a temporary folder\n");
    return 2;
  }
  snprintf(registry, sizeof registry, "%s/registry/registry.ini", root);
  setenv("CVN_REGISTRY", registry, 1);

  library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  check(library != NULL, "dlopen");
  if (library != NULL) {
    loaded = LOAD(library, SysAllocStringLen) & LOAD(library, SysFreeString) &
             LOAD(library, SysStringLen) & LOAD(library, VariantInit) &
             LOAD(library, VariantClear) & LOAD(library, CLSIDFromProgID) &
             LOAD(library, DllGetClassObject) & LOAD(library, DllCanUnloadNow) &
             LOAD(library, DllRegisterServer) & LOAD(library, DllUnregisterServer);
    check(loaded, "every export is there");
    if (loaded) run(root);
    dlclose(library);
  }

  nftw(root, removeEntry, 16, FTW_DEPTH | FTW_PHYS);
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
