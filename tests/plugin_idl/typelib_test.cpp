// The control's type library as built from its interface definition: the
// library identity, every IPictavoEx position the plug-in calls with its
// parameter types, and the events with their DISPIDs and parameter types
// (the event bridge takes parameter types from this library).
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <map>
#include <string>
#include <vector>

#include "ZumiPictavoEx.h"
#include "script_methods.h"
#include "test_paths.h"

namespace {

// What the tests expect of each operation that a script method reaches.
using Operation = testsupport::ScriptMethod;
const std::vector<Operation> kOperations = testsupport::ControlOperations();

struct Event {
  DISPID dispid;
  const char* name;
  const char* args;  // N long, S string
};

const Event kEvents[] = {
    {1, "OnSink_UploadSelect", "NN"},
    {2, "OnSink_UploadResult", "SS"},
    {3, "OnSink_ActiveFrame", "N"},
    {4, "OnSink_UploadComplete", ""},
    {5, "OnSink_PrepareToUpload", "N"},
    {6, "OnSink_UploadParams", "N"},
    {7, "OnSink_LeaveControl", "N"},
    {8, "OnSink_UploadOver", "NNNNN"},
    {9, "OnSink_PrepareToAddPhoto", ""},
    {10, "OnSink_HowToDrag", ""},
    {11, "OnSlientSink_StartUpload", "S"},
    {12, "OnSlientSink_StopUpload", "N"},
    {13, "OnSlientSink_Progress", "N"},
    {14, "OnSlientSink_Complete", "S"},
    {15, "OnSlientSink_Error", "S"},
    {16, "OnSink_ShowTimeInfo", "S"},
    {17, "OnSink_HideTimeInfo", ""},
    {18, "OnSink_UploadAllSuccessful", ""},
    {19, "OnSink_LocalError", "NSS"},
    {20, "OnSink_DataReport", "SN"},
    {21, "OnSink_GiveupFocus", ""},
    {22, "OnSink_UploadLibDataReport", "SNNNS"},
    {23, "OnSink_UploadCompleteDataReport", "SN"},
    {24, "OnSink_SizeChanged", "N"},
    {25, "OnSink_WaterMarkPreview", "SSS"},
    {26, "OnSink_UploadReturn", "N"},
    {30, "OnSink_AxInited", ""},
    {35, "OnSink_StartReadFile", "S"},
    {36, "OnSink_StartCompress", "S"},
    {37, "OnSink_StartUpload", "S"},
    {40, "OnSink_UploadProgress", "NNN"},
    {51, "OnSink_UsbNotRead", ""},
};

class ScopedTypeAttr {
 public:
  explicit ScopedTypeAttr(ITypeInfo* info) : m_info(info) { info->GetTypeAttr(&m_attr); }
  ~ScopedTypeAttr() {
    if (m_attr) m_info->ReleaseTypeAttr(m_attr);
  }
  TYPEATTR* operator->() const { return m_attr; }
  bool Valid() const { return m_attr != nullptr; }

 private:
  ITypeInfo* m_info;
  TYPEATTR* m_attr = nullptr;
};

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    std::wstring path = testsupport::BinaryPath(L"ZumiPictavoEx.tlb");
    ASSERT_EQ(S_OK, LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib));
  }
  void TearDown() override {
    if (lib) lib->Release();
  }
  // Name of a function description, and the types of its parameters.
  static std::wstring Name(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    std::wstring text = name ? name : L"";
    SysFreeString(name);
    return text;
  }
  ITypeLib* lib = nullptr;
};

TEST_F(TypeLibrary, Identity) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
  wchar_t text[64] = {};
  StringFromGUID2(attr->guid, text, 64);
  EXPECT_EQ(std::wstring(L"{0E7E54C4-1AED-4D84-8C41-72753B63DD34}"), text);
  EXPECT_TRUE(IsEqualGUID(LIBID_ZUMIPICTAVOEXLib, attr->guid));
  EXPECT_EQ(1, attr->wMajorVerNum);
  EXPECT_EQ(0, attr->wMinorVerNum);
  lib->ReleaseTLibAttr(attr);
  BSTR name = nullptr;
  ASSERT_EQ(S_OK, lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr));
  EXPECT_EQ(std::wstring(L"ZUMIPICTAVOEXLib"), name);
  SysFreeString(name);

  const GUID clsid = {0x05F5F404, 0x7C24, 0x4B39, {0xB5, 0xCC, 0x34, 0x0C, 0xED, 0xEB, 0x9C, 0x0D}};
  const GUID iid = {0x3F041978, 0xDEC2, 0x4612, {0xA1, 0x28, 0xD4, 0xE1, 0xC6, 0xE9, 0xA4, 0x1A}};
  const GUID diid = {0xAE19292D, 0xC076, 0x4333, {0x9C, 0x45, 0xC9, 0x8C, 0x10, 0x79, 0x2B, 0x29}};
  EXPECT_TRUE(IsEqualGUID(clsid, CLSID_PictavoEx));
  EXPECT_TRUE(IsEqualGUID(iid, IID_IPictavoEx));
  EXPECT_TRUE(IsEqualGUID(diid, DIID__IPictavoExEvents));
  Microsoft::WRL::ComPtr<ITypeInfo> coclass;
  EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(clsid, &coclass));
}

// The vtable description of IPictavoEx: the dual interface's dispatch
// description leads to it.
void VtableInfo(ITypeLib* lib, Microsoft::WRL::ComPtr<ITypeInfo>* vtable) {
  Microsoft::WRL::ComPtr<ITypeInfo> owner;
  ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_IPictavoEx, &owner));
  {
    ScopedTypeAttr attr(owner.Get());
    ASSERT_TRUE(attr.Valid());
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    if (attr->typekind == TKIND_DISPATCH) {
      HREFTYPE ref = 0;
      ASSERT_EQ(S_OK, owner->GetRefTypeOfImplType(-1, &ref));
      Microsoft::WRL::ComPtr<ITypeInfo> vtableInfo;
      ASSERT_EQ(S_OK, owner->GetRefTypeInfo(ref, &vtableInfo));
      owner = vtableInfo;
    }
  }
  *vtable = owner;
}

TEST_F(TypeLibrary, InterfacePositionsAndParameters) {
  Microsoft::WRL::ComPtr<ITypeInfo> owner;
  ASSERT_NO_FATAL_FAILURE(VtableInfo(lib, &owner));
  ITypeInfo* info = owner.Get();
  ScopedTypeAttr attr(info);
  ASSERT_EQ(TKIND_INTERFACE, attr->typekind);
  EXPECT_EQ(86, attr->cFuncs);
  std::map<std::wstring, int> seen;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* func = nullptr;
    ASSERT_EQ(S_OK, info->GetFuncDesc(i, &func));
    seen[Name(info, func->memid)] = func->oVft / static_cast<int>(sizeof(void*));
    info->ReleaseFuncDesc(func);
  }
  EXPECT_EQ(19, seen[L"Reserved19"]);
  EXPECT_EQ(38, seen[L"Reserved38"]);
  EXPECT_EQ(39, seen[L"Reserved39"]);
}

// One case per operation that a script method reaches, named after it.
class EachOperation : public TypeLibrary, public ::testing::WithParamInterface<Operation> {};

TEST_P(EachOperation, HasItsPositionAndParameterTypes) {
  const Operation& op = GetParam();
  Microsoft::WRL::ComPtr<ITypeInfo> owner;
  ASSERT_NO_FATAL_FAILURE(VtableInfo(lib, &owner));
  ITypeInfo* info = owner.Get();
  ScopedTypeAttr attr(info);
  const std::wstring wanted(op.name, op.name + strlen(op.name));
  int found = 0;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* func = nullptr;
    ASSERT_EQ(S_OK, info->GetFuncDesc(i, &func));
    if (Name(info, func->memid) == wanted) {
      ++found;
      EXPECT_EQ(op.position, func->oVft / static_cast<int>(sizeof(void*)));
      std::string rules = op.rules;
      size_t params = rules.size() + (op.out == '-' ? 0 : 1);
      EXPECT_EQ(static_cast<SHORT>(params), func->cParams);
      for (size_t p = 0; p < rules.size() && p < static_cast<size_t>(func->cParams); ++p)
        EXPECT_EQ(rules[p] == 'S' ? VT_BSTR : VT_I4, func->lprgelemdescParam[p].tdesc.vt)
            << "parameter " << p;
      if (op.out != '-' && static_cast<size_t>(func->cParams) == params) {
        const TYPEDESC& out = func->lprgelemdescParam[rules.size()].tdesc;
        EXPECT_EQ(VT_PTR, out.vt);
        if (out.vt == VT_PTR) EXPECT_EQ(op.out == 'S' ? VT_BSTR : VT_I4, out.lptdesc->vt);
      }
    }
    info->ReleaseFuncDesc(func);
  }
  EXPECT_EQ(1, found);
}

INSTANTIATE_TEST_SUITE_P(ControlTable, EachOperation, ::testing::ValuesIn(kOperations),
                         testsupport::MethodName());

TEST_F(TypeLibrary, EventsWithTheirDispidsAndParameters) {
  Microsoft::WRL::ComPtr<ITypeInfo> owner;  // released after the type attributes below
  ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(DIID__IPictavoExEvents, &owner));
  ITypeInfo* info = owner.Get();
  ScopedTypeAttr attr(info);
  ASSERT_EQ(TKIND_DISPATCH, attr->typekind);
  ASSERT_EQ(32, attr->cFuncs);
  std::map<DISPID, FUNCDESC*> byDispid;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* func = nullptr;
    ASSERT_EQ(S_OK, info->GetFuncDesc(i, &func));
    byDispid[func->memid] = func;
  }
  for (const Event& event : kEvents) {
    auto found = byDispid.find(event.dispid);
    ASSERT_NE(byDispid.end(), found) << event.name;
    FUNCDESC* func = found->second;
    std::wstring wanted(event.name, event.name + strlen(event.name));
    EXPECT_EQ(wanted, Name(info, func->memid));
    std::string args = event.args;
    ASSERT_EQ(static_cast<SHORT>(args.size()), func->cParams) << event.name;
    for (size_t p = 0; p < args.size(); ++p)
      EXPECT_EQ(args[p] == 'S' ? VT_BSTR : VT_I4, func->lprgelemdescParam[p].tdesc.vt)
          << event.name << " parameter " << p;
  }
  for (auto& entry : byDispid) info->ReleaseFuncDesc(entry.second);
}

}  // namespace
