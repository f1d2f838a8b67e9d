#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "component/cvn_automation.h"
#include "component/method_table.hpp"
#include "export/save_dialog.hpp"

namespace cvn {

// The dispatch interfaces _Corvane and _Corvane_old, described once: each
// method's name, its fixed dispatch identifier, the member that implements it
// and its parameters' names. Modes, types and results follow from the member's
// signature. The method table, Invoke's argument unpacking, the dual vtable
// and the type library's IDL are all derived from this description.
// Late-bound hosts depend on the numbers: they never change.

// The value type of a parameter or result; a type the interface cannot carry has none.
template <typename A>
consteval ValueType valueTypeOf() {
  using T = std::remove_cvref_t<A>;
  if constexpr (std::is_void_v<T>) return ValueType::None;
  if constexpr (std::is_same_v<T, std::u16string>) return ValueType::String;
  if constexpr (std::is_same_v<T, int16_t>) return ValueType::Int16;
  if constexpr (std::is_same_v<T, int32_t>) return ValueType::Int32;
  if constexpr (std::is_same_v<T, Variant>) return ValueType::Variant;
  if constexpr (std::is_same_v<T, StringArray>) return ValueType::StringArray;
}

// A parameter passed by non-const reference is in/out: the caller sees what the method wrote.
template <typename A>
inline constexpr bool kInOut =
    std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>;

// A parameter's name; an optional one also carries what it stands for when left out.
struct Param {
  constexpr Param(const char16_t* name) : name(name) {}  // NOLINT: names read as parameters
  constexpr Param(std::u16string_view name, std::u16string_view text)
      : name(name), optional(true), defaultText(text) {}
  constexpr Param(std::u16string_view name, int32_t number)
      : name(name), optional(true), defaultNumber(number) {}

  std::u16string_view name;
  bool optional = false;
  std::u16string_view defaultText;
  int32_t defaultNumber = 0;
};

template <typename Member>
struct Signature;
template <typename R, typename Class, typename... A>
struct Signature<R (Class::*)(A...)> {
  using Result = R;
  static constexpr size_t arity = sizeof...(A);

  static constexpr std::array<ParamInfo, arity> describe(const std::array<Param, arity>& p) {
    return [&]<size_t... K>(std::index_sequence<K...>) {
      return std::array<ParamInfo, arity>{
          ParamInfo{p[K].name, kInOut<A> ? ParamMode::InOut : ParamMode::In, valueTypeOf<A>(),
                    p[K].optional, p[K].defaultText, p[K].defaultNumber}...};
    }
    (std::index_sequence_for<A...>());
  }
};

template <auto Member>
struct Method {
  using Sig = Signature<decltype(Member)>;
  static constexpr auto member = Member;

  consteval Method(std::u16string_view name, int32_t dispatchId,
                   const std::array<Param, Sig::arity>& params)
      : name(name), dispatchId(dispatchId), params(Sig::describe(params)) {}

  constexpr MethodInfo info() const {
    return {name, dispatchId, params, valueTypeOf<typename Sig::Result>()};
  }

  std::u16string_view name;
  int32_t dispatchId;
  std::array<ParamInfo, Sig::arity> params;
};

// Parameter lists both classes share.
inline constexpr std::array<Param, 4> kSaveAFileParams = {u"sInitDir", Param(u"sFileFilters", u""),
                                                          Param(u"sTitle", kDefaultSaveTitle),
                                                          Param(u"lParentHwnd", 0)};
inline constexpr std::array<Param, 11> kCompareFileListParams = {
    u"strRootDirectoryOne", u"strRootDirectoryTwo", u"sourceOne",  u"sourceTwo",
    u"commentChar",         u"diffThershold",       u"optThree",   u"sessionID",
    u"multiBegComm",        u"multiEndComm",        u"compareType"};
inline constexpr std::array<Param, 4> kMatchFilesParams = {
    u"rootDirectorySource", u"rootDirectoryCompare", u"fileToMatch", u"matchAgainst"};
inline constexpr std::array<Param, 3> kCompareMatchedFilesParams = {u"strRootDir", u"fileOne",
                                                                    u"fileTwo"};
inline constexpr std::array<Param, 5> kInsertDirParams = {u"a", u"b", u"c", u"d", u"e"};
inline constexpr std::array<Param, 3> kChangedLineParams = {u"string1", u"string2",
                                                            u"diffThershold"};
inline constexpr std::array<Param, 4> kExportFileParams = {u"topheader", u"topcontents",
                                                           u"fileheader", u"filecontents"};
inline constexpr std::array<Param, 2> kScanDirParams = {u"strDir", u"strFormat"};

// A class of the library: its name, which gives its programmatic identifier
// ("CVN_Core.<name>") and its interface's name ("_<name>"), and its identifiers.
struct ClassIdentity {
  std::u16string_view name;
  const GUID& clsid;
  const GUID& iid;
};

template <typename C>
struct Interface;

template <>
struct Interface<Corvane> {
  using C = Corvane;
  static constexpr ClassIdentity identity{u"Corvane", CLSID_Corvane, IID__Corvane};
  static constexpr std::tuple methods{
      Method<&C::SaveAFile>(u"SaveAFile", 0x60030000, kSaveAFileParams),
      Method<&C::getFileList>(u"getFileList", 0x60030001, {u"path"}),
      Method<&C::compareFileList>(u"compareFileList", 0x60030002, kCompareFileListParams),
      Method<&C::matchFiles>(u"matchFiles", 0x60030003, kMatchFilesParams),
      Method<&C::compareMatchedFiles>(u"compareMatchedFiles", 0x60030004,
                                      kCompareMatchedFilesParams),
      Method<&C::insertFileCompareResults>(
          u"insertFileCompareResults", 0x60030005,
          {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i", u"k", u"l", u"a1", u"a2", u"b1",
           u"b2", u"c1", u"c2", u"d1", u"d2"}),
      Method<&C::insertDirCompareResults>(u"insertDirCompareResults", 0x60030006, kInsertDirParams),
      Method<&C::determineChangedLine>(u"determineChangedLine", 0x6003000A, kChangedLineParams),
      Method<&C::determineChangedLine_old>(u"determineChangedLine_old", 0x6003000B,
                                           kChangedLineParams),
      Method<&C::checkFileExists>(u"checkFileExists", 0x6003000C, {u"filename"}),
      Method<&C::checkDirExists>(u"checkDirExists", 0x6003000D, {u"directory"}),
      Method<&C::calBlankLines>(u"calBlankLines", 0x6003000E, {u"fileContentsOne"}),
      Method<&C::exportFile>(u"exportFile", 0x60030010, kExportFileParams),
      Method<&C::physicalCountOnly>(u"physicalCountOnly", 0x60030011,
                                    {u"strDirRoot", u"fileToCount", u"ifileType"}),
      Method<&C::scanDir>(u"scanDir", 0x60030012, kScanDirParams),
  };
};

template <>
struct Interface<Corvane_old> {
  using C = Corvane_old;
  static constexpr ClassIdentity identity{u"Corvane_old", CLSID_Corvane_old, IID__Corvane_old};
  static constexpr std::tuple methods{
      Method<&C::SaveAFile>(u"SaveAFile", 0x60030000, kSaveAFileParams),
      Method<&C::getFileList>(u"getFileList", 0x60030001, {u"path"}),
      Method<&C::compareFileList>(u"compareFileList", 0x60030002, kCompareFileListParams),
      Method<&C::matchFiles>(u"matchFiles", 0x60030003, kMatchFilesParams),
      Method<&C::compareMatchedFiles>(u"compareMatchedFiles", 0x60030004,
                                      kCompareMatchedFilesParams),
      Method<&C::insertFileCompareResults>(
          u"insertFileCompareResults", 0x60030005,
          {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i", u"k", u"l"}),
      Method<&C::insertDirCompareResults>(u"insertDirCompareResults", 0x60030006, kInsertDirParams),
      Method<&C::determineChangedLine>(u"determineChangedLine", 0x60030008, kChangedLineParams),
      Method<&C::checkFileExists>(u"checkFileExists", 0x60030009, {u"filename"}),
      Method<&C::checkDirExists>(u"checkDirExists", 0x6003000A, {u"directory"}),
      Method<&C::calBlankLines>(u"calBlankLines", 0x6003000B, {u"fileContentsOne"}),
      Method<&C::exportFile>(u"exportFile", 0x6003000C, kExportFileParams),
      Method<&C::physicalCountOnly>(u"physicalCountOnly", 0x6003000D,
                                    {u"strDirRoot", u"fileToCount"}),
      Method<&C::scanDir>(u"scanDir", 0x6003000E, kScanDirParams),
  };
};

inline constexpr std::array<ClassIdentity, 2> kClasses = {Interface<Corvane>::identity,
                                                          Interface<Corvane_old>::identity};

template <typename C>
inline constexpr size_t kMethodCount = std::tuple_size_v<decltype(Interface<C>::methods)>;

// The I-th method of a class's interface.
template <typename C, size_t I>
inline constexpr const auto& kMethod = std::get<I>(Interface<C>::methods);

template <typename C>
inline constexpr auto kMethodInfos = std::apply(
    [](const auto&... method) {
      return std::array<MethodInfo, sizeof...(method)>{method.info()...};
    },
    Interface<C>::methods);

}  // namespace cvn
