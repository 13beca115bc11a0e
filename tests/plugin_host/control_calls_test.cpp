// Every control method of page script against the hosted stand-in control:
// the IPictavoEx position each one reaches, the values as the control
// receives them, and what script gets back.
#include <windows.h>

#include <string>
#include <vector>

#include "host_page.h"

namespace npb = npbrowser;
using namespace hosttest;

namespace {

// Script name, argument rules (N number, B flag, S string) and the position
// in the control's vtable.
struct Method {
  const char* name;
  const char* rules;
  int position;
};

const Method kMethods[] = {
    {"Init", "", 42}, {"SetMD5FileSize", "N", 41}, {"SetWaterPressType", "N", 40},
    {"GetPhotoCount", "", 37}, {"SetWaterPressUrl", "S", 36}, {"SetWaterPressName", "S", 35},
    {"StartUploadSliently", "", 56}, {"StopUploadSliently", "", 55}, {"SetRetryTimes", "N", 34},
    {"Upload", "", 14}, {"StopUpload", "B", 33}, {"SetActiveXType", "N", 32},
    {"SetExtendStr", "S", 31}, {"Resize", "", 30}, {"AddPhoto", "N", 29},
    {"LeaveControl", "", 28}, {"SetPhotoCount", "N", 27}, {"SetUploadFilePath", "S", 54},
    {"SetTipsMsg", "S", 26}, {"SetAutoCompress", "B", 25}, {"SetUnCompressLimit", "NN", 24},
    {"UploadEx", "B", 23}, {"SetThumbInfo", "NNN", 22}, {"SetUploadPath", "S", 21},
    {"TranslateAccelerator", "", 20}, {"SetUploadLimit", "N", 18},
    {"SetUploadInfo", "SSSSNNNNN", 17}, {"SetTokenContent", "S", 16},
    {"SetHelpHyperlink", "S", 15}, {"ActiveFrame", "N", 13}, {"SetFrame", "NNN", 12},
    {"HaveSetUploadInfo", "", 11}, {"GetUploadKey", "", 10}, {"GetVersion", "", 9},
    {"UpdateVersion", "SSSB", 50}, {"SetReportServer", "SN", 8}, {"SetResourceInfo", "S", 7},
    {"ResizeInFF", "NN", 57}, {"HideSortDropDown", "", 43}, {"SetSizeLimits", "SS", 44},
    {"SetWaterMark", "N", 45}, {"SetSvrTime", "N", 46}, {"SetThreadCount", "N", 47},
    {"SetThreadTimeout", "N", 48}, {"SetUploadSizeLimit", "N", 49}, {"SetUserZumi", "S", 51},
    {"SetAutoRotate", "B", 58}, {"CancelOneTask", "N", 52}, {"SetUploadTimeout", "N", 60},
    {"SetUploadRetryCount", "N", 61}, {"SetUploadBlockSize", "N", 62},
    {"SetUploadLibReportLevel", "N", 63}, {"InvalidateAll", "", 59},
    {"SetBrowserInfo", "SSS", 53}, {"SetIPs", "SSS", 64}, {"SetIP2", "SSSSB", 75},
    {"SetUserInfo", "SS", 65}, {"SetAlbumInfo", "SSN", 66}, {"SetCompressType", "N", 67},
    {"SetNeedFeeds", "B", 68}, {"SetNeedWaterPress", "B", 69}, {"SetNeedSynWeibo", "B", 70},
    {"SetNeedPreUpload", "B", 71}, {"SetFeedsTimeStamp", "S", 72}, {"SetExtentParam", "SS", 73},
    {"SetVelnorTipInfo", "SS", 74}, {"SetPostLogURL", "SS", 76}, {"SetMinSpeed", "N", 77},
    {"SetThumbSize", "NN", 78}, {"SetShowSizeControl", "B", 80},
    {"SetGoodWaterMark", "NSNNNNNSN", 81}, {"UseGoodWaterMark", "B", 82},
    {"GetWaterMarkPre", "NN", 79}, {"ActivePostLog", "S", 83}, {"SetLogUser", "B", 84},
    {"GetReversion", "", 85}, {"SetUploadType", "N", 86}, {"SetUploadSolution", "N", 87},
    {"SetQunUploadMode", "B", 88}, {"SetQunCgiParams", "SS", 89}, {"OpenIOSDevice", "N", 90},
    {"OpenPreupload", "N", 91}, {"SetWebpCompress", "N", 92},
};

bool IsGetter(int position) {
  return position == 9 || position == 10 || position == 11 || position == 37 || position == 85;
}

// Valid arguments for a method's rules and the journal text the control
// should receive for them: numbers as doubles cut toward zero, flags as 1,
// strings with their lengths.
struct Arguments {
  std::vector<std::string> texts;
  std::vector<NPVariant> values;
  std::wstring received;
};

void Build(const Method& method, Arguments* args) {
  const std::string rules = method.rules;
  args->texts.resize(rules.size());
  std::wstring received;
  for (size_t i = 0; i < rules.size(); ++i) {
    if (i) received += L",";
    if (rules[i] == 'N') {
      const int whole = i == 0 ? -3 : 20 * static_cast<int>(i);
      args->values.push_back(npb::Double(whole + (whole < 0 ? -0.7 : 0.7)));
      received += std::to_wstring(whole);
    } else if (rules[i] == 'B') {
      args->values.push_back(npb::Bool(true));
      received += L"1";
    } else {
      args->texts[i] = "t\xC3\xA9xt" + std::to_string(i);  // UTF-8 e-acute
      args->values.push_back(Text(args->texts[i]));
      received += L"\"t\u00E9xt" + std::to_wstring(i) + L"\"/5";
    }
  }
  if (IsGetter(method.position)) received = L"out";
  args->received = std::to_wstring(method.position) + L" " + L"(" + received + L")";
}

// A journal call line without its operation name: "<position> (<args>)".
std::wstring WithoutName(const std::wstring& line) {
  const size_t space = line.find(L' ');
  const size_t open = line.find(L'(');
  if (space == std::wstring::npos || open == std::wstring::npos) return line;
  return line.substr(0, space + 1) + line.substr(open);
}

class ControlCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Fixture().Ready()) << std::hex << Fixture().RegisterResult();
    Fixture().Reset();
    page_ = new Page();
    ASSERT_EQ(NPERR_NO_ERROR, page_->Attach(320, 240));
    ASSERT_TRUE(page_->CreateAX());
    ASSERT_EQ(1, Fixture().LiveControls());
    Fixture().ClearJournal();
  }
  void TearDown() override {
    delete page_;
    EXPECT_EQ(0, Fixture().LiveControls());
    EXPECT_EQ(0u, StartedBrowser().OutstandingAllocations());
    EXPECT_EQ(0u, StartedBrowser().LivePluginObjects());
  }

  // The call lines the control journalled since the last look.
  std::vector<std::wstring> Calls() {
    std::vector<std::wstring> calls = CallLines(Fixture().Journal());
    Fixture().ClearJournal();
    for (std::wstring& line : calls) line = WithoutName(line);
    return calls;
  }

  Page* page_ = nullptr;
};

TEST_F(ControlCalls, EachMethodReachesItsPositionWithExactlyTheConvertedValues) {
  for (const Method& method : kMethods) {
    Arguments args;
    Build(method, &args);
    NPVariant result;
    EXPECT_TRUE(page_->Call(method.name, args.values, &result)) << method.name;
    StartedBrowser().ReleaseVariant(&result);
    EXPECT_EQ(std::vector<std::wstring>{args.received}, Calls()) << method.name;

    std::vector<NPVariant> more = args.values;
    more.push_back(npb::Int(1));
    EXPECT_FALSE(page_->Call(method.name, more)) << method.name;
    if (!args.values.empty()) {
      std::vector<NPVariant> fewer(args.values.begin(), args.values.end() - 1);
      EXPECT_FALSE(page_->Call(method.name, fewer)) << method.name;
    }
    const std::string rules = method.rules;
    for (size_t i = 0; i < rules.size(); ++i) {
      std::vector<NPVariant> wrong = args.values;
      wrong[i] = rules[i] == 'S' ? npb::Int(2) : rules[i] == 'B' ? npb::Int(1) : Text("9");
      EXPECT_FALSE(page_->Call(method.name, wrong)) << method.name << " argument " << i;
      wrong[i] = npb::Null();
      EXPECT_FALSE(page_->Call(method.name, wrong)) << method.name << " argument " << i;
    }
    EXPECT_TRUE(Calls().empty()) << method.name << ": refused calls reached the control";
  }
}

TEST_F(ControlCalls, ControlResultDecidesSuccess) {
  for (const Method& method : kMethods) {
    Arguments args;
    Build(method, &args);
    Fixture().SetResult(method.position, E_INVALIDARG);
    NPVariant result;
    EXPECT_FALSE(page_->Call(method.name, args.values, &result)) << method.name;
    EXPECT_EQ(NPVariantType_Void, result.type) << method.name;
    Fixture().SetResult(method.position, S_FALSE);
    EXPECT_TRUE(page_->Call(method.name, args.values, &result)) << method.name;
    StartedBrowser().ReleaseVariant(&result);
    EXPECT_EQ(2u, Calls().size()) << method.name;
  }
}

TEST_F(ControlCalls, GettersHandBackTheControlsValues) {
  NPVariant result;
  Fixture().SetOutLong(37, 12);
  ASSERT_TRUE(page_->Call("GetPhotoCount", {}, &result));
  EXPECT_EQ(NPVariantType_Int32, result.type);
  EXPECT_EQ(12, result.value.intValue);
  Fixture().SetOutLong(9, 0x01020304);
  ASSERT_TRUE(page_->Call("GetVersion", {}, &result));
  EXPECT_EQ(0x01020304, result.value.intValue);
  Fixture().SetOutLong(85, -5);
  ASSERT_TRUE(page_->Call("GetReversion", {}, &result));
  EXPECT_EQ(-5, result.value.intValue);

  Fixture().SetOutLong(11, 1);
  ASSERT_TRUE(page_->Call("HaveSetUploadInfo", {}, &result));
  EXPECT_EQ(NPVariantType_Bool, result.type);
  EXPECT_TRUE(result.value.boolValue);
  Fixture().SetOutLong(11, 0);
  ASSERT_TRUE(page_->Call("HaveSetUploadInfo", {}, &result));
  EXPECT_FALSE(result.value.boolValue);
  Fixture().SetOutLong(11, -1);  // VARIANT_TRUE, as a COM flag may come back
  ASSERT_TRUE(page_->Call("HaveSetUploadInfo", {}, &result));
  EXPECT_TRUE(result.value.boolValue);

  Fixture().SetOutString(10, L"k\u00E9y-1", 5);
  ASSERT_TRUE(page_->Call("GetUploadKey", {}, &result));
  ASSERT_EQ(NPVariantType_String, result.type);
  EXPECT_EQ("k\xC3\xA9y-1", std::string(result.value.stringValue.UTF8Characters,
                                        result.value.stringValue.UTF8Length));
  StartedBrowser().ReleaseVariant(&result);

  Fixture().SetOutString(10, nullptr, -1);
  ASSERT_TRUE(page_->Call("GetUploadKey", {}, &result));
  ASSERT_EQ(NPVariantType_String, result.type);
  EXPECT_EQ(0u, result.value.stringValue.UTF8Length);
  StartedBrowser().ReleaseVariant(&result);
}

TEST_F(ControlCalls, StringsArriveAsTheControlShouldSeeThem) {
  const std::string withNul = std::string("ab\0cd", 5);
  EXPECT_TRUE(page_->Call("SetUserZumi", {Text(withNul)}));
  EXPECT_TRUE(page_->Call("SetUserZumi", {Text("")}));
  EXPECT_TRUE(page_->Call("SetThumbSize", {npb::Int(120), npb::Double(90.7)}));
  EXPECT_TRUE(page_->Call("SetSvrTime", {npb::Bool(true)}));
  EXPECT_FALSE(page_->Call("StopUpload", {npb::Int(0)}));
  EXPECT_FALSE(page_->Call("SetReportServer", {Text("host"), Text("80")}));
  const std::vector<std::wstring> calls = Calls();
  ASSERT_EQ(4u, calls.size());
  EXPECT_EQ(L"51 (\"ab\"/2)", calls[0]);
  EXPECT_EQ(L"51 (\"\"/0)", calls[1]);
  EXPECT_EQ(L"78 (120,90)", calls[2]);
  EXPECT_EQ(L"46 (1)", calls[3]);
}

TEST_F(ControlCalls, EditUploadFileNeverReachesTheControl) {
  EXPECT_FALSE(page_->Call("EditUploadFile", {}));
  EXPECT_FALSE(page_->Call("EditUploadFile", {Text("C:\\a.jpg")}));
  EXPECT_TRUE(Calls().empty());
}

TEST_F(ControlCalls, MethodsFailOnceTheInstanceIsGone) {
  Fixture().ClearJournal();
  page_->Destroy();
  EXPECT_EQ(0, Fixture().LiveControls());
  EXPECT_TRUE(Calls().empty());
}

}  // namespace
