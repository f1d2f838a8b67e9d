// Writes the IDL of the type library CVN_Core 1.0 from the interface
// description; the Windows build compiles it with the type library compiler
// and embeds the result in cvn_core.dll. Built and run on the build machine.

#include <cstdio>
#include <string>
#include <string_view>

#include "component/automation_guids.hpp"
#include "component/interface.hpp"

namespace cvn {
namespace {

std::string ascii(std::u16string_view text) {
  return std::string(text.begin(), text.end());
}

// The registry form without its braces.
std::string uuid(const GUID& guid) {
  const std::string text = automation::guidText(guid);
  return text.substr(1, text.size() - 2);
}

std::string typeName(ValueType type) {
  constexpr const char* kNames[] = {"void", "BSTR", "short", "long", "VARIANT", "SAFEARRAY(BSTR)"};
  return kNames[static_cast<int>(type)];
}

std::string parameter(const ParamInfo& p) {
  const bool byReference = p.mode == ParamMode::InOut;
  std::string attributes = byReference ? "in, out" : "in";
  if (p.optional) {
    attributes += ", optional";
    // The compiler records no text default for a by-reference parameter;
    // callers that leave one out get the default from the component.
    if (p.type != ValueType::String) {
      attributes += ", defaultvalue(" + std::to_string(p.defaultNumber) + ")";
    } else if (!byReference) {
      attributes += ", defaultvalue(\"" + ascii(p.defaultText) + "\")";
    }
  }
  return "[" + attributes + "] " + typeName(p.type) + (byReference ? "* " : " ") + ascii(p.name);
}

template <typename C>
void writeInterface() {
  using Description = Interface<C>;
  std::printf(
      "\n  [odl, uuid(%s), version(1.0), hidden, dual, nonextensible, oleautomation]\n"
      "  interface _%s : IDispatch\n  {\n",
      uuid(Description::identity.iid).c_str(), ascii(Description::identity.name).c_str());
  for (const MethodInfo& method : kMethodInfos<C>) {
    std::string parameters;
    for (const ParamInfo& p : method.params) {
      parameters += (parameters.empty() ? "" : ", ") + parameter(p);
    }
    if (method.result != ValueType::None) {
      parameters += (parameters.empty() ? "" : ", ") + std::string("[out, retval] ") +
                    typeName(method.result) + "* result";
    }
    std::printf("    [id(0x%08X)] HRESULT %s(%s);\n", static_cast<unsigned>(method.dispatchId),
                ascii(method.name).c_str(), parameters.c_str());
  }
  std::printf("  };\n");
}

void writeClass(const ClassIdentity& identity) {
  const std::string name = ascii(identity.name);
  std::printf(
      "\n  [uuid(%s), version(1.0)]\n  coclass %s\n  {\n    [default] interface _%s;\n  };\n",
      uuid(identity.clsid).c_str(), name.c_str(), name.c_str());
}

// The automation types the interfaces use, declared here because the build has
// no system IDL files: the compiler writes BSTR, VARIANT and HRESULT as their
// automation types by name, and IUnknown and IDispatch come from stdole2.tlb,
// which the library imports.
constexpr const char* kPreamble = R"(typedef long HRESULT;
typedef unsigned long ULONG;
typedef unsigned short* BSTR;
typedef struct tagVARIANT { unsigned short vt; } VARIANT;
typedef struct _GUID { unsigned long Data1; unsigned short Data2, Data3; unsigned char Data4[8]; } GUID;
typedef GUID IID;
[object, uuid(00000000-0000-0000-C000-000000000046), pointer_default(unique)]
interface IUnknown {
  HRESULT QueryInterface([in] const IID* riid, [out, iid_is(riid)] void** ppvObject);
  ULONG AddRef();
  ULONG Release();
}
[object, uuid(00020400-0000-0000-C000-000000000046), pointer_default(unique)]
interface IDispatch : IUnknown {}
)";

}  // namespace
}  // namespace cvn

// Usage: write_idl OUTPUT
int main(int argc, char** argv) {
  using namespace cvn;
  if (argc != 2 || std::freopen(argv[1], "w", stdout) == nullptr) {
    std::fprintf(stderr, "write_idl: cannot write %s\n", argc == 2 ? argv[1] : "(no output named)");
    return 1;
  }
  std::printf("// Written by write_idl_windows.cpp from the interface description.\n%s", kPreamble);
  std::printf("\n[uuid(%s), version(1.0), lcid(0), helpstring(\"%s\")]\nlibrary %s\n{\n",
              uuid(LIBID_CVN_Core).c_str(), CVN_TYPELIB_NAME, CVN_TYPELIB_NAME);
  std::printf(
      "  importlib(\"stdole2.tlb\");\n\n  interface _Corvane;\n  interface _Corvane_old;\n");
  writeInterface<Corvane>();
  writeInterface<Corvane_old>();
  for (const ClassIdentity& identity : kClasses) writeClass(identity);
  std::printf("};\n");
  return std::fflush(stdout) != 0 || std::ferror(stdout) != 0 ? 1 : 0;
}
