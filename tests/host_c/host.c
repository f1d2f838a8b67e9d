/* A late-binding host written in C: loads libcvn_core.so (argv[1]) with dlopen, registers it
 * in a registry file of its own, creates CVN_Core.Corvane by its programmatic identifier and
 * calls it through IDispatch. Prints each failed check; exits non-zero when one failed. */
#define _XOPEN_SOURCE 700
#define INITGUID
#include "cvn_automation.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int failed = 0;
#define CHECK(condition)                                                     \
  do {                                                                       \
    const int ok = (condition);                                              \
    if (!ok) printf("FAIL line %d: %s\n", __LINE__, #condition), failed = 1; \
  } while (0)

static void* library;
/* dlsym returns an object pointer; copying its bytes is the portable way to a function pointer. */
static void load(void* function, size_t size, const char* name) {
  void* symbol = dlsym(library, name);
  if (symbol == NULL) {
    printf("missing export %s\n", name);
    exit(1);
  }
  memcpy(function, &symbol, size);
}
#define LOAD(type, name) \
  type name;             \
  load(&name, sizeof name, #name)

/* ASCII text as a BSTR in a variant. */
static VARIANT text(CVN_PFN_SysAllocStringLen alloc, const char* ascii) {
  OLECHAR units[512];
  VARIANT v = {0};
  UINT n = 0;
  for (; ascii[n] != 0; ++n) units[n] = (OLECHAR)ascii[n];
  v.vt = VT_BSTR;
  v.bstrVal = alloc(units, n);
  return v;
}

/* Calls a method by name; the arguments as DISPPARAMS holds them, the last one first. */
static HRESULT call(IDispatch* object, OLECHAR* name, VARIANT* args, UINT count, VARIANT* result,
                    EXCEPINFO* exception) {
  DISPPARAMS params = {args, NULL, count, 0};
  DISPID id = 0;
  UINT argErr = 0;
  memset(result, 0, sizeof *result);
  memset(exception, 0, sizeof *exception);
  if (object->lpVtbl->GetIDsOfNames(object, &IID_NULL, &name, 1, 0, &id) != S_OK) return E_FAIL;
  return object->lpVtbl->Invoke(object, id, &IID_NULL, 0, DISPATCH_METHOD, &params, result,
                                exception, &argErr);
}

int main(int argc, char** argv) {
  char root[] = "/tmp/cvn-host-XXXXXX", registry[64], file[64], missing[64];
  IClassFactory* factory = NULL;
  IDispatch* object = NULL;
  OLECHAR list[] = u"GETFILELIST", compare[] = u"compareMatchedFiles";
  VARIANT args[3], result;
  EXCEPINFO exception;
  CLSID clsid;
  UINT k;
  FILE* out;

  if (argc != 2 || mkdtemp(root) == NULL) return 2;
  snprintf(registry, sizeof registry, "%s.ini", root); /* beside the folder, not in it */
  snprintf(file, sizeof file, "%s/a.c", root);
  snprintf(missing, sizeof missing, "%s/missing.c", root);
  setenv("CVN_REGISTRY", registry, 1);
  if ((out = fopen(file, "w")) != NULL) fclose(out);
  library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == NULL) return printf("dlopen: %s\n", dlerror()), 1;
  LOAD(CVN_PFN_SysAllocStringLen, SysAllocStringLen);
  LOAD(CVN_PFN_SysStringLen, SysStringLen);
  LOAD(CVN_PFN_SysFreeString, SysFreeString);
  LOAD(CVN_PFN_VariantClear, VariantClear);
  LOAD(CVN_PFN_CLSIDFromProgID, CLSIDFromProgID);
  LOAD(CVN_PFN_DllGetClassObject, DllGetClassObject);
  LOAD(CVN_PFN_DllCanUnloadNow, DllCanUnloadNow);
  LOAD(CVN_PFN_DllRegisterServer, DllRegisterServer);
  LOAD(CVN_PFN_DllUnregisterServer, DllUnregisterServer);

  CHECK(DllRegisterServer() == S_OK);
  CHECK(CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid) == S_OK);
  CHECK(DllGetClassObject(&clsid, &IID_IClassFactory, (void**)&factory) == S_OK);
  if (factory == NULL) return 1;
  CHECK(factory->lpVtbl->CreateInstance(factory, NULL, &IID_IDispatch, (void**)&object) == S_OK);
  CHECK(factory->lpVtbl->Release(factory) == 0);
  if (object == NULL) return 1;

  /* getFileList(root): its one file, as a string. */
  args[0] = text(SysAllocStringLen, root);
  CHECK(call(object, list, args, 1, &result, &exception) == S_OK);
  CHECK(result.vt == VT_BSTR && SysStringLen(result.bstrVal) == strlen(file));
  for (k = 0; result.vt == VT_BSTR && k < strlen(file); ++k) CHECK(result.bstrVal[k] == file[k]);
  VariantClear(&result);
  VariantClear(&args[0]);

  /* compareMatchedFiles(root, file, missing): error 53. */
  args[0] = text(SysAllocStringLen, missing);
  args[1] = text(SysAllocStringLen, file);
  args[2] = text(SysAllocStringLen, root);
  CHECK(call(object, compare, args, 3, &result, &exception) == DISP_E_EXCEPTION);
  CHECK(exception.scode == (SCODE)0x800A0035L && exception.bstrSource != NULL);
  for (k = 0; k < 3; ++k) VariantClear(&args[k]);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);

  CHECK(object->lpVtbl->Release(object) == 0);
  CHECK(DllCanUnloadNow() == S_OK);
  CHECK(DllUnregisterServer() == S_OK);
  CHECK(CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid) == REGDB_E_CLASSNOTREG);
  dlclose(library);
  remove(file), remove(registry), rmdir(root);
  return failed;
}
