// A stand-in for the upload control's IPictavoEx and IPersistPropertyBag:
// every operation records its name and arguments and returns a chosen
// HRESULT; getters hand out chosen values; Load reads chosen names from the
// bag it is given. The operations are listed in vtable order.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "ZumiPictavoEx.h"

struct ControlCall {
  std::string method;
  std::vector<std::wstring> args;  // numbers in decimal, strings quoted, null strings as null
};

struct BagRead {
  std::wstring name;
  VARTYPE type;
  HRESULT result = S_OK;
  long number = 0;
  std::wstring text;
  bool textIsNull = true;
};

class FakeControl : public IPictavoEx, public IPersistPropertyBag {
 public:
  // What the next operations give back.
  HRESULT result = S_OK;
  LONG outLong = 0;
  bool outTextIsNull = false;
  std::wstring outText;
  bool persistable = true;
  HRESULT loadResult = S_OK;
  std::vector<BagRead> readsOnLoad;  // filled in by Load
  // Interfaces that Load asks the bag for; the answers land in bagAnswers.
  std::vector<IID> bagQueries;
  struct BagAnswer {
    HRESULT result;
    void* object;
  };
  std::vector<BagAnswer> bagAnswers;

  std::vector<ControlCall> calls;
  std::vector<BagRead> readsDone;
  LONG refs = 1;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IPictavoEx)
      *out = static_cast<IPictavoEx*>(this);
    else if (iid == IID_IPersistPropertyBag && persistable)
      *out = static_cast<IPersistPropertyBag*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }

  // IDispatch: the plug-in never goes this way.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override {
    for (const IID& iid : bagQueries) {
      void* object = reinterpret_cast<void*>(1);
      HRESULT hr = bag->QueryInterface(iid, &object);
      bagAnswers.push_back(BagAnswer{hr, object});
      if (SUCCEEDED(hr) && object) static_cast<IUnknown*>(object)->Release();
    }
    for (BagRead read : readsOnLoad) {
      VARIANT var;
      VariantInit(&var);
      var.vt = read.type;
      read.result = bag->Read(read.name.c_str(), &var, log);
      if (SUCCEEDED(read.result) && var.vt == VT_I4) read.number = var.lVal;
      if (SUCCEEDED(read.result) && var.vt == VT_BSTR) {
        read.textIsNull = var.bstrVal == nullptr;
        if (var.bstrVal) read.text.assign(var.bstrVal, SysStringLen(var.bstrVal));
      }
      VariantClear(&var);
      readsDone.push_back(read);
    }
    return loadResult;
  }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

  // IPictavoEx, positions 7 to 92.
  HRESULT STDMETHODCALLTYPE SetResourceInfo(BSTR a0) override {
    Record("SetResourceInfo", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetReportServer(BSTR a0, LONG a1) override {
    Record("SetReportServer", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE GetVersion(LONG* out) override {
    Record("GetVersion", {});
    *out = outLong;
    return result;
  }

  HRESULT STDMETHODCALLTYPE GetUploadKey(BSTR* out) override {
    Record("GetUploadKey", {});
    *out = OutText();
    return result;
  }

  HRESULT STDMETHODCALLTYPE HaveSetUploadInfo(LONG* out) override {
    Record("HaveSetUploadInfo", {});
    *out = outLong;
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetFrame(LONG a0, LONG a1, LONG a2) override {
    Record("SetFrame", {Arg(a0), Arg(a1), Arg(a2)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE ActiveFrame(LONG a0) override {
    Record("ActiveFrame", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE Upload() override {
    Record("Upload", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetHelpHyperlink(BSTR a0) override {
    Record("SetHelpHyperlink", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetTokenContent(BSTR a0) override {
    Record("SetTokenContent", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadInfo(BSTR a0, BSTR a1, BSTR a2, BSTR a3, LONG a4, LONG a5, LONG a6, LONG a7, LONG a8) override {
    Record("SetUploadInfo", {Arg(a0), Arg(a1), Arg(a2), Arg(a3), Arg(a4), Arg(a5), Arg(a6), Arg(a7), Arg(a8)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadLimit(LONG a0) override {
    Record("SetUploadLimit", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE Reserved19() override {
    Record("Reserved19", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE TranslateAccelerator() override {
    Record("TranslateAccelerator", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadPath(BSTR a0) override {
    Record("SetUploadPath", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetThumbInfo(LONG a0, LONG a1, LONG a2) override {
    Record("SetThumbInfo", {Arg(a0), Arg(a1), Arg(a2)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE UploadEx(LONG a0) override {
    Record("UploadEx", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUnCompressLimit(LONG a0, LONG a1) override {
    Record("SetUnCompressLimit", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetAutoCompress(LONG a0) override {
    Record("SetAutoCompress", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetTipsMsg(BSTR a0) override {
    Record("SetTipsMsg", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetPhotoCount(LONG a0) override {
    Record("SetPhotoCount", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE LeaveControl() override {
    Record("LeaveControl", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE AddPhoto(LONG a0) override {
    Record("AddPhoto", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE Resize() override {
    Record("Resize", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetExtendStr(BSTR a0) override {
    Record("SetExtendStr", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetActiveXType(LONG a0) override {
    Record("SetActiveXType", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE StopUpload(LONG a0) override {
    Record("StopUpload", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetRetryTimes(LONG a0) override {
    Record("SetRetryTimes", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetWaterPressName(BSTR a0) override {
    Record("SetWaterPressName", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetWaterPressUrl(BSTR a0) override {
    Record("SetWaterPressUrl", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE GetPhotoCount(LONG* out) override {
    Record("GetPhotoCount", {});
    *out = outLong;
    return result;
  }

  HRESULT STDMETHODCALLTYPE Reserved38() override {
    Record("Reserved38", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE Reserved39() override {
    Record("Reserved39", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetWaterPressType(LONG a0) override {
    Record("SetWaterPressType", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetMD5FileSize(LONG a0) override {
    Record("SetMD5FileSize", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE Init() override {
    Record("Init", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE HideSortDropDown() override {
    Record("HideSortDropDown", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetSizeLimits(BSTR a0, BSTR a1) override {
    Record("SetSizeLimits", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetWaterMark(LONG a0) override {
    Record("SetWaterMark", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetSvrTime(LONG a0) override {
    Record("SetSvrTime", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetThreadCount(LONG a0) override {
    Record("SetThreadCount", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetThreadTimeout(LONG a0) override {
    Record("SetThreadTimeout", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadSizeLimit(LONG a0) override {
    Record("SetUploadSizeLimit", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE UpdateVersion(BSTR a0, BSTR a1, BSTR a2, LONG a3) override {
    Record("UpdateVersion", {Arg(a0), Arg(a1), Arg(a2), Arg(a3)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUserZumi(BSTR a0) override {
    Record("SetUserZumi", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE CancelOneTask(LONG a0) override {
    Record("CancelOneTask", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetBrowserInfo(BSTR a0, BSTR a1, BSTR a2) override {
    Record("SetBrowserInfo", {Arg(a0), Arg(a1), Arg(a2)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadFilePath(BSTR a0) override {
    Record("SetUploadFilePath", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE StopUploadSliently() override {
    Record("StopUploadSliently", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE StartUploadSliently() override {
    Record("StartUploadSliently", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE ResizeInFF(LONG a0, LONG a1) override {
    Record("ResizeInFF", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetAutoRotate(LONG a0) override {
    Record("SetAutoRotate", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE InvalidateAll() override {
    Record("InvalidateAll", {});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadTimeout(LONG a0) override {
    Record("SetUploadTimeout", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadRetryCount(LONG a0) override {
    Record("SetUploadRetryCount", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadBlockSize(LONG a0) override {
    Record("SetUploadBlockSize", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadLibReportLevel(LONG a0) override {
    Record("SetUploadLibReportLevel", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetIPs(BSTR a0, BSTR a1, BSTR a2) override {
    Record("SetIPs", {Arg(a0), Arg(a1), Arg(a2)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUserInfo(BSTR a0, BSTR a1) override {
    Record("SetUserInfo", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetAlbumInfo(BSTR a0, BSTR a1, LONG a2) override {
    Record("SetAlbumInfo", {Arg(a0), Arg(a1), Arg(a2)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetCompressType(LONG a0) override {
    Record("SetCompressType", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetNeedFeeds(LONG a0) override {
    Record("SetNeedFeeds", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetNeedWaterPress(LONG a0) override {
    Record("SetNeedWaterPress", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetNeedSynWeibo(LONG a0) override {
    Record("SetNeedSynWeibo", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetNeedPreUpload(LONG a0) override {
    Record("SetNeedPreUpload", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetFeedsTimeStamp(BSTR a0) override {
    Record("SetFeedsTimeStamp", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetExtentParam(BSTR a0, BSTR a1) override {
    Record("SetExtentParam", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetVelnorTipInfo(BSTR a0, BSTR a1) override {
    Record("SetVelnorTipInfo", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetIP2(BSTR a0, BSTR a1, BSTR a2, BSTR a3, LONG a4) override {
    Record("SetIP2", {Arg(a0), Arg(a1), Arg(a2), Arg(a3), Arg(a4)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetPostLogURL(BSTR a0, BSTR a1) override {
    Record("SetPostLogURL", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetMinSpeed(LONG a0) override {
    Record("SetMinSpeed", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetThumbSize(LONG a0, LONG a1) override {
    Record("SetThumbSize", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE GetWaterMarkPre(LONG a0, LONG a1) override {
    Record("GetWaterMarkPre", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetShowSizeControl(LONG a0) override {
    Record("SetShowSizeControl", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetGoodWaterMark(LONG a0, BSTR a1, LONG a2, LONG a3, LONG a4, LONG a5, LONG a6, BSTR a7, LONG a8) override {
    Record("SetGoodWaterMark", {Arg(a0), Arg(a1), Arg(a2), Arg(a3), Arg(a4), Arg(a5), Arg(a6), Arg(a7), Arg(a8)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE UseGoodWaterMark(LONG a0) override {
    Record("UseGoodWaterMark", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE ActivePostLog(BSTR a0) override {
    Record("ActivePostLog", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetLogUser(LONG a0) override {
    Record("SetLogUser", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE GetReversion(LONG* out) override {
    Record("GetReversion", {});
    *out = outLong;
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadType(LONG a0) override {
    Record("SetUploadType", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetUploadSolution(LONG a0) override {
    Record("SetUploadSolution", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetQunUploadMode(LONG a0) override {
    Record("SetQunUploadMode", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetQunCgiParams(BSTR a0, BSTR a1) override {
    Record("SetQunCgiParams", {Arg(a0), Arg(a1)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE OpenIOSDevice(LONG a0) override {
    Record("OpenIOSDevice", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE OpenPreupload(LONG a0) override {
    Record("OpenPreupload", {Arg(a0)});
    return result;
  }

  HRESULT STDMETHODCALLTYPE SetWebpCompress(LONG a0) override {
    Record("SetWebpCompress", {Arg(a0)});
    return result;
  }

 private:
  static std::wstring Arg(LONG value) { return std::to_wstring(value); }
  static std::wstring Arg(BSTR value) {
    return value ? L"'" + std::wstring(value, SysStringLen(value)) + L"'" : L"null";
  }
  void Record(const char* method, std::vector<std::wstring> args) {
    calls.push_back(ControlCall{method, std::move(args)});
  }
  BSTR OutText() const {
    return outTextIsNull ? nullptr : SysAllocStringLen(outText.data(), static_cast<UINT>(outText.size()));
  }
};
