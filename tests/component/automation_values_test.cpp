#include <gtest/gtest.h>

#include <cstring>

#include "component/automation_guids.hpp"
#include "component/automation_strings.hpp"
#include "component/cvn_automation.h"

namespace cvn::automation {
namespace {

TEST(AutomationValues, TheGuidsAreFixed) {
  // Hosts and registrations depend on these values; they never change.
  EXPECT_EQ(guidText(LIBID_CVN_Core), "{D68FCFE0-4A2C-460D-917A-372579E49C74}");
  EXPECT_EQ(guidText(CLSID_Corvane), "{4E52D72C-9700-4D80-9E59-0FB8A3AC9D16}");
  EXPECT_EQ(guidText(CLSID_Corvane_old), "{B527919B-91A6-40E0-BE83-8EB6234D50D3}");
  EXPECT_EQ(guidText(IID__Corvane), "{C03E29CE-FAC9-45E0-8E17-0E5BABC16C91}");
  EXPECT_EQ(guidText(IID__Corvane_old), "{86B2988D-6E57-405B-A660-5E93C032BE9C}");
  EXPECT_EQ(guidText(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");
  EXPECT_EQ(guidText(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(guidText(IID_IClassFactory), "{00000001-0000-0000-C000-000000000046}");
  EXPECT_EQ(guidText(IID_NULL), "{00000000-0000-0000-0000-000000000000}");

  const auto parsed = parseGuid("{d68fcfe0-4a2c-460d-917a-372579e49c74}");
  ASSERT_TRUE(parsed);
  EXPECT_TRUE(sameGuid(*parsed, LIBID_CVN_Core));
  EXPECT_FALSE(parseGuid("{D68FCFE0-4A2C-460D-917A-372579E49C7}"));
  EXPECT_FALSE(parseGuid("{D68FCFE0-4A2C-460D-917A+372579E49C74}"));
  EXPECT_FALSE(parseGuid("{D68FCFE0-4A2C-460D-917A-372579E49C7G}"));
}

TEST(AutomationValues, LayoutsMatchThePlatformsObjectModel) {
  EXPECT_EQ(sizeof(VARIANT), sizeof(void*) == 8 ? 24u : 16u);
  EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
  EXPECT_EQ(sizeof(GUID), 16u);
  EXPECT_EQ(offsetof(SAFEARRAY, pvData), sizeof(void*) == 8 ? 16u : 12u);
  EXPECT_EQ(sizeof(OLECHAR), 2u);
  EXPECT_EQ(sizeof(EXCEPINFO), sizeof(void*) == 8 ? 64u : 32u);
  EXPECT_EQ(sizeof(DISPPARAMS), sizeof(void*) == 8 ? 24u : 16u);
}

TEST(AutomationValues, StringsCarryTheirByteLengthBeforeThePointer) {
  BSTR text = SysAllocString(u"abc");
  ASSERT_NE(text, nullptr);
  uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<char*>(text) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(text[3], 0);
  EXPECT_EQ(SysStringLen(text), 3u);
  SysFreeString(text);

  const char16_t withNul[] = {u'a', 0, u'b'};
  BSTR embedded = SysAllocStringLen(withNul, 3);
  EXPECT_EQ(bstrView(embedded), std::u16string_view(withNul, 3));
  SysFreeString(embedded);
  BSTR blank = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(SysStringLen(blank), 2u);
  EXPECT_EQ(blank[2], 0);
  SysFreeString(blank);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  EXPECT_EQ(bstrView(nullptr), u"");
}

TEST(AutomationValues, VariantsOwnTheirStringsAndArrays) {
  VARIANT v;
  VariantInit(&v);
  EXPECT_EQ(v.vt, VT_EMPTY);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(u"text");
  VARIANT copy;
  VariantInit(&copy);
  EXPECT_EQ(VariantCopy(&copy, &v), S_OK);
  EXPECT_NE(copy.bstrVal, v.bstrVal);
  EXPECT_EQ(bstrView(copy.bstrVal), u"text");
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);

  v.vt = VT_ARRAY | VT_BSTR;  // the array and its strings go with the variant
  v.parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG index = 1;
  EXPECT_EQ(SafeArrayPutElement(v.parray, &index, copy.bstrVal), S_OK);
  VARIANT arrayCopy;
  VariantInit(&arrayCopy);
  EXPECT_EQ(VariantCopy(&arrayCopy, &v), S_OK);
  EXPECT_NE(arrayCopy.parray, v.parray);
  BSTR element = nullptr;
  EXPECT_EQ(SafeArrayGetElement(arrayCopy.parray, &index, &element), S_OK);
  EXPECT_EQ(bstrView(element), u"text");
  SysFreeString(element);
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(VariantClear(&arrayCopy), S_OK);
  EXPECT_EQ(VariantClear(&copy), S_OK);

  BSTR borrowed = SysAllocString(u"kept");  // by reference: nothing is freed
  v.vt = VT_BYREF | VT_BSTR;
  v.pbstrVal = &borrowed;
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(bstrView(borrowed), u"kept");
  SysFreeString(borrowed);
}

TEST(AutomationValues, VectorsKeepBoundsAndCopyTheirElements) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 1, 3);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->cDims, 1);
  EXPECT_EQ(array->cbElements, sizeof(BSTR));
  EXPECT_TRUE(array->fFeatures & FADF_BSTR);
  LONG lower = 0, upper = 0;
  EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(lower, 1);
  EXPECT_EQ(upper, 3);
  EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);

  BSTR text = SysAllocString(u"one");
  LONG index = 3;
  EXPECT_EQ(SafeArrayPutElement(array, &index, text), S_OK);
  EXPECT_EQ(SafeArrayPutElement(array, &index, text), S_OK);  // replaces, frees the old copy
  SysFreeString(text);
  BSTR out = nullptr;
  EXPECT_EQ(SafeArrayGetElement(array, &index, &out), S_OK);
  EXPECT_EQ(bstrView(out), u"one");
  SysFreeString(out);
  index = 0;
  EXPECT_EQ(SafeArrayGetElement(array, &index, &out), DISP_E_BADINDEX);
  index = 4;
  EXPECT_EQ(SafeArrayPutElement(array, &index, nullptr), DISP_E_BADINDEX);
  array->cLocks = 1;
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  array->cLocks = 0;
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);

  SAFEARRAY* numbers = SafeArrayCreateVector(VT_I4, -2, 2);
  LONG value = 42;
  index = -1;
  EXPECT_EQ(SafeArrayPutElement(numbers, &index, &value), S_OK);
  value = 0;
  EXPECT_EQ(SafeArrayGetElement(numbers, &index, &value), S_OK);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(SafeArrayDestroy(numbers), S_OK);

  SAFEARRAY* empty = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  EXPECT_EQ(SafeArrayGetUBound(empty, 1, &upper), S_OK);
  EXPECT_EQ(upper, -1);
  EXPECT_EQ(SafeArrayDestroy(empty), S_OK);
  EXPECT_EQ(SafeArrayCreateVector(VT_DISPATCH, 0, 1), nullptr);
  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

TEST(AutomationValues, ArraysLaidOutByTheCallerStayTheCallers) {
  // A host may describe an array on its own stack; destroying it frees only the elements.
  BSTR items[2] = {SysAllocString(u"a"), nullptr};
  SAFEARRAY array{};
  array.cDims = 1;
  array.fFeatures = FADF_STATIC | FADF_BSTR;
  array.cbElements = sizeof(BSTR);
  array.pvData = items;
  array.rgsabound[0] = {2, 0};
  EXPECT_EQ(SafeArrayDestroy(&array), S_OK);
  EXPECT_EQ(items[0], nullptr);
}

}  // namespace
}  // namespace cvn::automation
