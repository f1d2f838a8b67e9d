// The automation runtime the POSIX build carries itself: strings with their length before them,
// variants that own what they hold, vectors with their own bounds.
#include <gtest/gtest.h>

#include <cstring>

#include "component/automation_strings.hpp"
#include "component/cvn_automation.h"

namespace cvn::automation {
namespace {

// The platform's object model.
static_assert(sizeof(OLECHAR) == 2 && sizeof(GUID) == 16 && offsetof(VARIANT, lVal) == 8);
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*) && sizeof(EXCEPINFO) == 8 * sizeof(void*));
static_assert(offsetof(SAFEARRAY, pvData) == (sizeof(void*) == 8 ? 16 : 12));

TEST(AutomationValues, StringsCarryTheirByteLengthBeforeThemAndEndInNul) {
  const char16_t units[] = {u'a', 0, u'b'};
  BSTR text = SysAllocStringLen(units, 3);
  uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<char*>(text) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(text[3], 0);
  EXPECT_EQ(bstrView(text), std::u16string_view(units, 3));
  SysFreeString(text);
  text = SysAllocString(u"abc");
  EXPECT_EQ(SysStringLen(text), 3u);
  SysFreeString(text);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

TEST(AutomationValues, VariantsCopyAndFreeWhatTheyOwn) {
  VARIANT v, copy;
  VariantInit(&copy);
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayCreateVector(VT_BSTR, 1, 2);
  LONG index = 2;
  BSTR text = SysAllocString(u"text");
  EXPECT_EQ(SafeArrayPutElement(v.parray, &index, text), S_OK);
  EXPECT_EQ(VariantCopy(&copy, &v), S_OK);
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
  BSTR element = nullptr;
  EXPECT_EQ(SafeArrayGetElement(copy.parray, &index, &element), S_OK);
  EXPECT_EQ(bstrView(element), u"text");
  v.vt = VT_BYREF | VT_BSTR;  // by reference: nothing is freed
  v.pbstrVal = &text;
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(VariantCopy(&v, &copy), S_OK);
  for (VARIANT* each : {&v, &copy}) VariantClear(each);
  for (BSTR each : {text, element}) SysFreeString(each);
}

TEST(AutomationValues, VectorsKeepTheirBounds) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, -2, 3);
  LONG lower = 0, upper = 0, value = 42, index = 0;
  EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(lower * 10 + upper, -20);
  EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayPutElement(array, &index, &value), S_OK);
  value = 0;
  EXPECT_EQ(SafeArrayGetElement(array, &index, &value), S_OK);
  EXPECT_EQ(value, 42);
  index = 1;
  EXPECT_EQ(SafeArrayGetElement(array, &index, &value), DISP_E_BADINDEX);
  array->cLocks = 1;
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  array->cLocks = 0;
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  // A host may lay an array out itself; destroying it frees only the elements.
  BSTR items[1] = {SysAllocString(u"a")};
  SAFEARRAY own{1, FADF_STATIC | FADF_BSTR, sizeof(BSTR), 0, items, {{1, 0}}};
  EXPECT_EQ(SafeArrayDestroy(&own), S_OK);
  EXPECT_EQ(items[0], nullptr);
}

}  // namespace
}  // namespace cvn::automation
