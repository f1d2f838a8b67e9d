#pragma once

#include <string>

#include "component/cvn_automation.h"

namespace cvn::automation {

// The full path of the DLL this code runs in; empty when Windows cannot tell.
std::wstring modulePath();

// Loads the type library CVN_Core embedded in the DLL (without registering it).
HRESULT loadTypeLibrary(ITypeLib** library);

// The description of one of the library's interfaces, for IDispatch::GetTypeInfo.
HRESULT interfaceTypeInfo(const IID& iid, ITypeInfo** info);

}  // namespace cvn::automation
