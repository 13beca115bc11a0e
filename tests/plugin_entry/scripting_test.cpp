// Page script's view of the plug-in object: member names, calls before the
// control exists, settings, event listeners and calling the object itself.
#include <windows.h>

#include <string>
#include <vector>

#include "plugin_fixture.h"

using npbrowser::Browser;
using npbrowser::PluginInstance;
namespace v = npbrowser;

namespace {

struct MethodShape {
  const char* name;
  int argCount;
};

// Every control method with the argument count it accepts.
const MethodShape kControlMethods[] = {
    {"Init", 0},
    {"SetMD5FileSize", 1},
    {"SetWaterPressType", 1},
    {"GetPhotoCount", 0},
    {"SetWaterPressUrl", 1},
    {"SetWaterPressName", 1},
    {"StartUploadSliently", 0},
    {"StopUploadSliently", 0},
    {"SetRetryTimes", 1},
    {"Upload", 0},
    {"StopUpload", 1},
    {"SetActiveXType", 1},
    {"SetExtendStr", 1},
    {"Resize", 0},
    {"AddPhoto", 1},
    {"LeaveControl", 0},
    {"SetPhotoCount", 1},
    {"SetUploadFilePath", 1},
    {"SetTipsMsg", 1},
    {"SetAutoCompress", 1},
    {"SetUnCompressLimit", 2},
    {"UploadEx", 1},
    {"SetThumbInfo", 3},
    {"SetUploadPath", 1},
    {"TranslateAccelerator", 0},
    {"EditUploadFile", 0},
    {"SetUploadLimit", 1},
    {"SetUploadInfo", 9},
    {"SetTokenContent", 1},
    {"SetHelpHyperlink", 1},
    {"ActiveFrame", 1},
    {"SetFrame", 3},
    {"HaveSetUploadInfo", 0},
    {"GetUploadKey", 0},
    {"GetVersion", 0},
    {"UpdateVersion", 4},
    {"SetReportServer", 2},
    {"SetResourceInfo", 1},
    {"ResizeInFF", 2},
    {"HideSortDropDown", 0},
    {"SetSizeLimits", 2},
    {"SetWaterMark", 1},
    {"SetSvrTime", 1},
    {"SetThreadCount", 1},
    {"SetThreadTimeout", 1},
    {"SetUploadSizeLimit", 1},
    {"SetUserZumi", 1},
    {"SetAutoRotate", 1},
    {"CancelOneTask", 1},
    {"SetUploadTimeout", 1},
    {"SetUploadRetryCount", 1},
    {"SetUploadBlockSize", 1},
    {"SetUploadLibReportLevel", 1},
    {"InvalidateAll", 0},
    {"SetBrowserInfo", 3},
    {"SetIPs", 3},
    {"SetIP2", 5},
    {"SetUserInfo", 2},
    {"SetAlbumInfo", 3},
    {"SetCompressType", 1},
    {"SetNeedFeeds", 1},
    {"SetNeedWaterPress", 1},
    {"SetNeedSynWeibo", 1},
    {"SetNeedPreUpload", 1},
    {"SetFeedsTimeStamp", 1},
    {"SetExtentParam", 2},
    {"SetVelnorTipInfo", 2},
    {"SetPostLogURL", 2},
    {"SetMinSpeed", 1},
    {"SetThumbSize", 2},
    {"SetShowSizeControl", 1},
    {"SetGoodWaterMark", 9},
    {"UseGoodWaterMark", 1},
    {"GetWaterMarkPre", 2},
    {"ActivePostLog", 1},
    {"SetLogUser", 1},
    {"GetReversion", 0},
    {"SetUploadType", 1},
    {"SetUploadSolution", 1},
    {"SetQunUploadMode", 1},
    {"SetQunCgiParams", 2},
    {"OpenIOSDevice", 1},
    {"OpenPreupload", 1},
    {"SetWebpCompress", 1},
};

const char* const kSettings[] = {
    "FrameType",           "EditMaxWidth",
    "EditMaxHeight",       "ActiveFrame",
    "TokenContent",        "HelpHyperlink",
    "UploadLimit",         "UploadSizeLimit",
    "ReportServerIP",      "ReportServerPort",
    "DownloadResourceURL", "WaterPressName",
    "WaterPressURL",       "WaterPressDownloadAddress",
    "WaterPressType",      "WaterPressCheck",
    "UploadTitleText",     "UploadBtnCompress",
    "UploadBtnWaterPress", "UploadOnceCountLimit",
    "UploadOnceWaitTime",  "StyleType",
    "RetryTimes",          "MD5FileSize",
    "InitPlace",
};

class Scripting : public ::testing::Test {
 protected:
  void SetUp() override {
    browser = &StartedBrowser();
    ASSERT_EQ(NPERR_NO_ERROR, instance.New());
    script = instance.Scriptable();
    ASSERT_NE(nullptr, script);
  }
  void TearDown() override {
    if (script) browser->Release(script);
    instance.Destroy();
    EXPECT_EQ(0u, browser->LivePluginObjects());
    EXPECT_EQ(0u, browser->OutstandingAllocations());
    EXPECT_EQ(0u, browser->BadReleases());
  }
  bool HasMethod(const char* name) {
    return script->_class->hasMethod(script, browser->Identifier(name));
  }
  bool HasProperty(const char* name) {
    return script->_class->hasProperty(script, browser->Identifier(name));
  }
  bool Call(const char* name, const std::vector<NPVariant>& args) {
    result = v::Int(12345);
    return browser->Call(script, name, args, &result);
  }

  Browser* browser = nullptr;
  PluginInstance instance;
  NPObject* script = nullptr;
  NPVariant result = {};
};

TEST_F(Scripting, EveryMemberNameIsKnownExactly) {
  EXPECT_TRUE(HasMethod("AddEventListener"));
  EXPECT_TRUE(HasMethod("CreateAX"));
  for (const MethodShape& method : kControlMethods)
    EXPECT_TRUE(HasMethod(method.name)) << method.name;
  for (const char* setting : kSettings) EXPECT_TRUE(HasProperty(setting)) << setting;
  EXPECT_EQ(84u, sizeof(kControlMethods) / sizeof(kControlMethods[0]));
  EXPECT_EQ(25u, sizeof(kSettings) / sizeof(kSettings[0]));

  EXPECT_TRUE(HasMethod("ActiveFrame"));
  EXPECT_TRUE(HasProperty("ActiveFrame"));
  EXPECT_FALSE(HasMethod("FrameType"));
  EXPECT_FALSE(HasProperty("Init"));
  EXPECT_FALSE(HasMethod("init"));
  EXPECT_FALSE(HasMethod("addEventListener"));
  EXPECT_FALSE(HasMethod("createax"));
  EXPECT_FALSE(HasProperty("frametype"));
  EXPECT_FALSE(HasMethod("OnSink_UploadSelect"));
}

TEST_F(Scripting, ControlMethodsFailBeforeTheControlExists) {
  std::string text = "text";
  for (const MethodShape& method : kControlMethods) {
    std::vector<NPVariant> args(static_cast<size_t>(method.argCount), v::String(text));
    EXPECT_FALSE(Call(method.name, args)) << method.name;
    EXPECT_EQ(NPVariantType_Void, result.type) << method.name;
  }
  EXPECT_FALSE(Call("Upload", {v::Int(1)}));
  EXPECT_FALSE(Call("NoSuchMethod", {}));
  // Also through the invoke entry directly, without hasMethod first.
  result = v::Int(1);
  EXPECT_FALSE(
      script->_class->invoke(script, browser->Identifier("NoSuchMethod"), nullptr, 0, &result));
  EXPECT_EQ(NPVariantType_Void, result.type);
}

TEST_F(Scripting, SettingsAreWriteOnlyAndDroppedWithoutControl) {
  for (const char* setting : kSettings)
    EXPECT_TRUE(browser->SetProperty(script, setting, v::String("20"))) << setting;
  EXPECT_TRUE(browser->SetProperty(script, "UploadLimit", v::Int(20)));
  NPVariant value = v::Int(5);
  EXPECT_FALSE(browser->GetProperty(script, "FrameType", &value));
  EXPECT_EQ(NPVariantType_Void, value.type);
  value = v::Int(5);
  EXPECT_FALSE(script->_class->getProperty(script, browser->Identifier("NoSuchSetting"), &value));
  NPVariant twenty = v::Int(20);
  EXPECT_FALSE(script->_class->setProperty(script, browser->Identifier("NoSuchSetting"), &twenty));
  EXPECT_FALSE(script->_class->removeProperty(script, browser->Identifier("FrameType")));
}

TEST_F(Scripting, CallingTheObjectYieldsUndefined) {
  result = v::Int(3);
  EXPECT_TRUE(browser->CallDefault(script, {v::Int(1), v::String("x")}, &result));
  EXPECT_EQ(NPVariantType_Void, result.type);
  NPIdentifier* names = nullptr;
  uint32_t count = 0;
  EXPECT_FALSE(script->_class->enumerate(script, &names, &count));
  EXPECT_FALSE(script->_class->construct(script, nullptr, 0, &result));
  script->_class->invalidate(script);
}

TEST_F(Scripting, CreateAxChecksItsArgument) {
  EXPECT_TRUE(Call("CreateAX", {v::String("ZumiPictavoEx.dll")}));
  EXPECT_EQ(NPVariantType_Void, result.type);
  EXPECT_TRUE(Call("CreateAX", {v::String("ZumiPictavoEx.dll"), v::Int(3)}));
  std::string withNul("ZumiPictavoEx.dll\0trailing", 26);
  EXPECT_TRUE(Call("CreateAX", {v::String(withNul)}));
  EXPECT_FALSE(Call("CreateAX", {v::String("zumipictavoex.dll")}));
  EXPECT_FALSE(Call("CreateAX", {v::String("ZumiPictavoEx.dl")}));
  EXPECT_FALSE(Call("CreateAX", {v::Int(1)}));
  EXPECT_FALSE(Call("CreateAX", {}));
  std::string longName = "ZumiPictavoEx.dll" + std::string(300, 'x');
  EXPECT_FALSE(Call("CreateAX", {v::String(longName)}));
  // Still no control afterwards: control methods keep failing.
  EXPECT_FALSE(Call("GetPhotoCount", {}));
}

TEST_F(Scripting, AddEventListenerArgumentsAndReferences) {
  npbrowser::ScriptFunction* first = browser->NewFunction();
  npbrowser::ScriptFunction* second = browser->NewFunction();
  std::string progress = "OnSink_UploadProgress";

  EXPECT_FALSE(Call("AddEventListener", {v::String(progress), v::Object(first)}));
  EXPECT_TRUE(Call("AddEventListener", {v::Int(1), v::Object(first), v::Bool(false)}));
  EXPECT_TRUE(Call("AddEventListener", {v::String(progress), v::String(progress), v::Bool(false)}));
  EXPECT_TRUE(Call("AddEventListener", {v::String(""), v::Object(first), v::Bool(false)}));
  EXPECT_TRUE(Call("AddEventListener", {v::String(progress), v::Null(), v::Bool(false)}));
  EXPECT_EQ(1u, first->referenceCount);
  // The result is not written.
  NPVariant direct[3] = {v::String(progress), v::Int(2), v::Void()};
  NPVariant untouched = v::Int(12345);
  EXPECT_TRUE(script->_class->invoke(script, browser->Identifier("AddEventListener"), direct, 3,
                                     &untouched));
  EXPECT_EQ(NPVariantType_Int32, untouched.type);
  EXPECT_EQ(12345, untouched.value.intValue);

  EXPECT_TRUE(Call("AddEventListener", {v::String(progress), v::Object(first), v::Void()}));
  EXPECT_EQ(2u, first->referenceCount);
  EXPECT_TRUE(Call("AddEventListener", {v::String(progress), v::Object(second), v::Void()}));
  EXPECT_EQ(1u, first->referenceCount);
  EXPECT_EQ(2u, second->referenceCount);
  std::string other = "onsink_uploadprogress";
  EXPECT_TRUE(Call("AddEventListener", {v::String(other), v::Object(first), v::Void(), v::Int(4)}));
  EXPECT_EQ(2u, first->referenceCount);

  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
  EXPECT_EQ(1u, first->referenceCount);
  EXPECT_EQ(1u, second->referenceCount);
  EXPECT_TRUE(first->calls.empty());
  browser->Release(first);
  browser->Release(second);
}

TEST_F(Scripting, ObjectKeptPastDestroyAnswersWithoutInstance) {
  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
  ASSERT_TRUE(browser->IsLive(script));
  EXPECT_EQ(1u, script->referenceCount);
  EXPECT_FALSE(HasMethod("Init"));
  EXPECT_TRUE(HasMethod("AddEventListener"));
  npbrowser::ScriptFunction* listener = browser->NewFunction();
  std::string name = "OnSink_AxInited";
  EXPECT_TRUE(Call("AddEventListener", {v::String(name), v::Object(listener), v::Void()}));
  EXPECT_EQ(1u, listener->referenceCount);
  EXPECT_FALSE(Call("CreateAX", {v::String("ZumiPictavoEx.dll")}));
  EXPECT_FALSE(browser->SetProperty(script, "FrameType", v::String("1")));
  browser->Release(listener);
}

// Each kind of refusal without a control: the reason the browser gets as the
// call's exception. A call that succeeds sets none.
TEST_F(Scripting, RefusedCallsSayWhy) {
  npbrowser::ScriptFunction* listener = browser->NewFunction();
  const std::string name = "OnSink_AxInited", wrongFile = "zumipictavoex.dll";
  const struct {
    const char* member;
    std::vector<NPVariant> args;  // a property read when empty and `read`
    bool read;
    const char* reason;
  } kCases[] = {
      {"SetThumbSize", {v::Int(120)}, false, "SetThumbSize expects 2 arguments, got 1"},
      {"Upload", {v::Int(1)}, false, "Upload expects no arguments, got 1"},
      {"GetPhotoCount",
       {},
       false,
       "GetPhotoCount: the control does not exist yet; call CreateAX first"},
      {"FrameType", {}, true, "FrameType is a write-only setting"},
      {"AddEventListener",
       {v::String(name), v::Object(listener)},
       false,
       "AddEventListener expects 3 arguments, got 2"},
      {"CreateAX", {}, false, "CreateAX expects 1 argument, got 0"},
      {"CreateAX", {v::Int(1)}, false, "CreateAX: argument 1 must be a string"},
      {"CreateAX",
       {v::String(wrongFile)},
       false,
       "CreateAX: argument 1 must be \"ZumiPictavoEx.dll\""},
  };
  for (const auto& c : kCases) {
    EXPECT_FALSE(c.read ? browser->GetProperty(script, c.member, &result) : Call(c.member, c.args))
        << c.member;
    EXPECT_EQ(c.reason, browser->TakeException());
  }
  EXPECT_TRUE(Call("AddEventListener", {v::String(name), v::Int(1), v::Void()}));
  EXPECT_TRUE(Call("CreateAX", {v::String("ZumiPictavoEx.dll")}));
  EXPECT_EQ("", browser->TakeException());
  browser->Release(listener);
}

// The page's origin as browsers tell it, against the maker's domains (no
// site policy in the test prefix). An allowed page's "CreateAX" succeeds
// (no window yet, so nothing is created); the origin string and the window
// objects the browser hands out all go back to it.
TEST_F(Scripting, CreateAxServesOnlyAllowedPages) {
  using Answers = npbrowser::PageAddress::Answers;
  const char* const kForeign =
      "CreateAX: pages from https://photos.example.net may not use the control";
  const struct {
    npbrowser::PageAddress address;
    const char* reason;  // "" when allowed
  } kCases[] = {
      {{"https://photos.example.net", "https://x.orvane.com/", Answers::OriginAndLocation},
       kForeign},
      {{"https://Upload.ZumiPictavo.com:443", "", Answers::OriginAndLocation}, ""},
      {{"", "https://photos.example.net:443/up.html?a", Answers::OriginAndLocation}, kForeign},
      {{"https://x.orvane.com", "https://photos.example.net/up.html", Answers::LocationOnly},
       kForeign},
      {{"", "http://www.orvane.com:8080/up.html", Answers::LocationOnly}, ""},
      {{"null", "", Answers::OriginAndLocation},
       "CreateAX: pages from null may not use the control"},
      {{"https://www.orvane.com", "https://www.orvane.com/", Answers::None},
       "CreateAX: the browser did not tell the page's origin, so the page may not use the control"},
  };
  const std::string file = "ZumiPictavoEx.dll";
  for (const auto& c : kCases) {
    browser->SetPageAddress(c.address);
    EXPECT_EQ(c.reason[0] == '\0', Call("CreateAX", {v::String(file)})) << c.address.origin;
    EXPECT_EQ(c.reason, browser->TakeException()) << c.address.origin;
  }
  browser->SetPageAddress(npbrowser::MakerPage());
  EXPECT_EQ(0u, browser->LivePluginObjects() - 1) << "window or location objects kept";
}

}  // namespace
