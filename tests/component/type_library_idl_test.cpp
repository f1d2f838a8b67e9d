// The type library's IDL and the interface tables describe the same methods:
// names, dispatch identifiers, parameters (name, mode, type, optional) and
// results, in the same order. Early-bound hosts read the first, late-bound
// calls are dispatched by the second.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "component/method_table.hpp"
#include "platform/utf.hpp"

namespace cvn {
namespace {

struct IdlParam {
  std::string name;
  ParamMode mode = ParamMode::In;
  ValueType type = ValueType::None;
  bool optional = false;
};

struct IdlMethod {
  std::string name;
  int32_t dispatchId = 0;
  std::vector<IdlParam> params;
  ValueType result = ValueType::None;
};

std::string readIdl() {
  std::ifstream in(CVN_IDL_FILE);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Splits at commas outside brackets and parentheses.
std::vector<std::string> splitParams(const std::string& list) {
  std::vector<std::string> parts;
  std::string current;
  int depth = 0;
  for (char ch : list) {
    if (ch == '[' || ch == '(') ++depth;
    if (ch == ']' || ch == ')') --depth;
    if (ch == ',' && depth == 0) {
      parts.push_back(current);
      current.clear();
    } else {
      current += ch;
    }
  }
  if (current.find_first_not_of(" \n") != std::string::npos) parts.push_back(current);
  return parts;
}

ValueType typeOf(std::string type, bool byReference) {
  type.erase(std::remove(type.begin(), type.end(), ' '), type.end());
  if (byReference && !type.empty() && type.back() == '*') type.pop_back();
  if (type == "BSTR") return ValueType::String;
  if (type == "short") return ValueType::Int16;
  if (type == "long") return ValueType::Int32;
  if (type == "VARIANT") return ValueType::Variant;
  if (type == "SAFEARRAY(BSTR)") return ValueType::StringArray;
  ADD_FAILURE() << "type not known to the test: " << type;
  return ValueType::None;
}

std::vector<IdlMethod> methodsOf(const std::string& idl, const std::string& interfaceName) {
  const size_t start = idl.find("interface " + interfaceName + " : IDispatch");
  if (start == std::string::npos) return {};
  const std::string body = idl.substr(start, idl.find("};", start) - start);
  static const std::regex method(R"(\[id\((0x[0-9A-Fa-f]+)\)\]\s*HRESULT\s+(\w+)\(([^;]*)\);)");
  static const std::regex param(R"(^\s*\[([^\]]*)\]\s*(.*?)\s*(\w+)\s*$)");
  std::vector<IdlMethod> methods;
  for (std::sregex_iterator it(body.begin(), body.end(), method), end; it != end; ++it) {
    IdlMethod m;
    m.dispatchId = static_cast<int32_t>(std::stoul((*it)[1].str(), nullptr, 16));
    m.name = (*it)[2].str();
    for (const std::string& text : splitParams((*it)[3].str())) {
      std::smatch parts;
      if (!std::regex_match(text, parts, param)) {
        ADD_FAILURE() << m.name << ": cannot read parameter " << text;
        continue;
      }
      const std::string attributes = parts[1].str();
      const bool out = attributes.find("out") != std::string::npos;
      if (attributes.find("retval") != std::string::npos) {
        m.result = typeOf(parts[2].str(), true);
        continue;
      }
      IdlParam p;
      p.name = parts[3].str();
      p.mode = out ? ParamMode::InOut : ParamMode::In;
      p.type = typeOf(parts[2].str(), out);
      p.optional = attributes.find("optional") != std::string::npos;
      m.params.push_back(p);
    }
    methods.push_back(m);
  }
  return methods;
}

void expectSameInterface(const std::string& interfaceName, std::span<const MethodInfo> table) {
  const std::vector<IdlMethod> idl = methodsOf(readIdl(), interfaceName);
  ASSERT_EQ(idl.size(), table.size()) << interfaceName;
  for (size_t k = 0; k < table.size(); ++k) {
    const MethodInfo& expected = table[k];
    const IdlMethod& actual = idl[k];
    SCOPED_TRACE(interfaceName + "." + actual.name);
    EXPECT_EQ(utf8ToUtf16(actual.name), expected.name);
    EXPECT_EQ(actual.dispatchId, expected.dispatchId);
    EXPECT_EQ(actual.result, expected.result);
    ASSERT_EQ(actual.params.size(), expected.params.size());
    for (size_t p = 0; p < expected.params.size(); ++p) {
      EXPECT_EQ(utf8ToUtf16(actual.params[p].name), expected.params[p].name);
      EXPECT_EQ(actual.params[p].mode, expected.params[p].mode) << actual.params[p].name;
      EXPECT_EQ(actual.params[p].type, expected.params[p].type) << actual.params[p].name;
      EXPECT_EQ(actual.params[p].optional, expected.params[p].optional) << actual.params[p].name;
    }
  }
}

TEST(TypeLibraryIdl, CorvaneMatchesItsInterfaceTable) {
  expectSameInterface("_Corvane", corvaneMethods());
}

TEST(TypeLibraryIdl, CorvaneOldMatchesItsInterfaceTable) {
  expectSameInterface("_Corvane_old", corvaneOldMethods());
}

TEST(TypeLibraryIdl, NamesTheFixedIdentifiers) {
  const std::string idl = readIdl();
  for (const char* guid :
       {"uuid(D68FCFE0-4A2C-460D-917A-372579E49C74)", "uuid(C03E29CE-FAC9-45E0-8E17-0E5BABC16C91)",
        "uuid(86B2988D-6E57-405B-A660-5E93C032BE9C)", "uuid(4E52D72C-9700-4D80-9E59-0FB8A3AC9D16)",
        "uuid(B527919B-91A6-40E0-BE83-8EB6234D50D3)", "library CVN_Core", "version(1.0)"}) {
    EXPECT_NE(idl.find(guid), std::string::npos) << guid;
  }
}

}  // namespace
}  // namespace cvn
