// Every control method of page script against the hosted stand-in control:
// the IPictavoEx position each one reaches, the values as the control
// receives them, and what script gets back.
#include <windows.h>

#include <string>
#include <vector>

#include "host_page.h"
#include "script_methods.h"

namespace npb = npbrowser;
using namespace hosttest;

namespace {

using Method = testsupport::ScriptMethod;

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
  if (method.out != '-') received = L"out";
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

// One case per method of the table, named after it.
class EachMethod : public ControlCalls, public ::testing::WithParamInterface<Method> {};

TEST_P(EachMethod, ReachesItsPositionWithExactlyTheConvertedValues) {
  const Method& method = GetParam();
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
    // The reason names the method and the position, counted from 1.
    const char* expected = rules[i] == 'S'   ? "a string"
                           : rules[i] == 'B' ? "true or false"
                                             : "a number";
    EXPECT_EQ(
        std::string(method.name) + ": argument " + std::to_string(i + 1) + " must be " + expected,
        StartedBrowser().TakeException());
  }
  EXPECT_TRUE(Calls().empty()) << method.name << ": refused calls reached the control";
}

TEST_P(EachMethod, ControlResultDecidesSuccess) {
  const Method& method = GetParam();
  Arguments args;
  Build(method, &args);
  Fixture().SetResult(method.position, E_INVALIDARG);
  NPVariant result;
  EXPECT_FALSE(page_->Call(method.name, args.values, &result)) << method.name;
  EXPECT_EQ(NPVariantType_Void, result.type) << method.name;
  EXPECT_EQ(std::string(method.name) + ": the control reported failure 0x80070057",
            StartedBrowser().TakeException());
  Fixture().SetResult(method.position, S_FALSE);
  EXPECT_TRUE(page_->Call(method.name, args.values, &result)) << method.name;
  EXPECT_EQ("", StartedBrowser().TakeException()) << "a call that succeeded set an exception";
  StartedBrowser().ReleaseVariant(&result);
  EXPECT_EQ(2u, Calls().size()) << method.name;
}

INSTANTIATE_TEST_SUITE_P(ControlTable, EachMethod,
                         ::testing::ValuesIn(testsupport::ControlOperations()),
                         testsupport::MethodName());

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
