// Each script method of the control table against a stand-in control: exact
// argument counts, per-argument rules checked before any call, the operation
// reached, and the values that come back to script.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "entry/browser_funcs.h"
#include "entry/control_methods.h"
#include "fake_control.h"
#include "script_values.h"
#include "script_methods.h"

namespace {

using testsupport::ScriptMethod;

std::map<void*, uint32_t> g_allocations;
void* NP_CALLBACK LedgerAlloc(uint32_t size) {
  void* p = malloc(size ? size : 1);
  g_allocations[p] = size;
  return p;
}

using npbrowser::Bool;
using npbrowser::Double;
using npbrowser::Int;
using npbrowser::String;

class Methods : public ::testing::Test {
 protected:
  void SetUp() override {
    NPNetscapeFuncs funcs = {};
    funcs.size = sizeof(funcs);
    funcs.memalloc = LedgerAlloc;
    StoreBrowserFuncs(&funcs);
    control = &fake;
    CreateControlMethods(&control, [this](const char* name, std::unique_ptr<npMethod> entry) {
      order.push_back(name);
      methods[name] = std::move(entry);
    });
    CreateBagProperties(&control, [this](const char* name, std::unique_ptr<npProperty> entry) {
      settings[name] = std::move(entry);
    });
  }
  void TearDown() override {
    for (auto& entry : g_allocations) free(entry.first);
    g_allocations.clear();
  }

  bool Call(const char* name, std::vector<NPVariant> args) {
    result = Int(777);
    VOID_TO_NPVARIANT(result);
    return methods.at(name)->Invoke(args.data(), static_cast<uint32_t>(args.size()), &result);
  }
  std::vector<std::wstring> LastArgs() const { return fake.calls.back().args; }

  FakeControl fake;
  IPictavoEx* control = nullptr;
  std::vector<std::string> order;
  std::map<std::string, std::unique_ptr<npMethod>> methods;
  std::map<std::string, std::unique_ptr<npProperty>> settings;
  NPVariant result = {};
};

TEST_F(Methods, RegisteredInTableOrder) {
  ASSERT_EQ(84u, order.size());
  size_t index = 0;
  for (const ScriptMethod& method : testsupport::kScriptMethods)
    EXPECT_EQ(method.name, order[index++]);
  EXPECT_EQ("EditUploadFile", order[25]);
  EXPECT_EQ(25u, settings.size());
}

// One case per method of the table, named after it.
class EachMethod : public Methods, public ::testing::WithParamInterface<ScriptMethod> {};

TEST_P(EachMethod, ReachesItsOperationWithConvertedArguments) {
  const ScriptMethod& method = GetParam();
  std::vector<std::string> texts = {"a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8"};
  std::string rules = method.rules;
  std::vector<NPVariant> args;
  std::vector<std::wstring> expected;
  for (size_t i = 0; i < rules.size(); ++i) {
    if (rules[i] == 'N') {
      args.push_back(Double(10.9 + static_cast<double>(i)));
      expected.push_back(std::to_wstring(10 + i));
    } else if (rules[i] == 'B') {
      args.push_back(Bool(true));
      expected.push_back(L"1");
    } else {
      args.push_back(String(texts[i]));
      expected.push_back(L"'a" + std::to_wstring(i) + L"'");
    }
  }
  fake.calls.clear();
  EXPECT_TRUE(Call(method.name, args)) << method.name;
  ASSERT_EQ(1u, fake.calls.size()) << method.name;
  EXPECT_EQ(method.name, fake.calls[0].method);
  EXPECT_EQ(expected, fake.calls[0].args) << method.name;

  // One more or one fewer argument: refused without a call.
  std::vector<NPVariant> extra = args;
  extra.push_back(Int(1));
  EXPECT_FALSE(Call(method.name, extra)) << method.name;
  if (!args.empty()) {
    std::vector<NPVariant> fewer(args.begin(), args.end() - 1);
    EXPECT_FALSE(Call(method.name, fewer)) << method.name;
  }
  // Each argument of a type its rule refuses: no call.
  for (size_t i = 0; i < rules.size(); ++i) {
    std::vector<NPVariant> wrong = args;
    wrong[i] = rules[i] == 'S' ? Int(2) : rules[i] == 'B' ? Int(1) : String(texts[i]);
    EXPECT_FALSE(Call(method.name, wrong)) << method.name << " argument " << i;
  }
  EXPECT_EQ(1u, fake.calls.size()) << method.name;
}

INSTANTIATE_TEST_SUITE_P(ControlTable, EachMethod,
                         ::testing::ValuesIn(testsupport::ControlOperations()),
                         testsupport::MethodName());

TEST_F(Methods, EditUploadFileNeverSucceeds) {
  EXPECT_FALSE(Call("EditUploadFile", {}));
  EXPECT_FALSE(Call("EditUploadFile", {String("x")}));
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Methods, NumberAndFlagRules) {
  EXPECT_TRUE(Call("SetThumbSize", {Int(120), Double(90.7)}));
  EXPECT_EQ((std::vector<std::wstring>{L"120", L"90"}), LastArgs());
  EXPECT_TRUE(Call("SetThumbSize", {Double(-2.9), Bool(true)}));
  EXPECT_EQ((std::vector<std::wstring>{L"-2", L"1"}), LastArgs());
  EXPECT_TRUE(Call("SetMD5FileSize", {Double(1e12)}));
  EXPECT_EQ(std::vector<std::wstring>{L"2147483647"}, LastArgs());
  EXPECT_TRUE(Call("StopUpload", {Bool(false)}));
  EXPECT_EQ(std::vector<std::wstring>{L"0"}, LastArgs());
  size_t calls = fake.calls.size();
  EXPECT_FALSE(Call("StopUpload", {Int(0)}));
  EXPECT_FALSE(Call("SetReportServer", {String("host"), String("80")}));
  EXPECT_FALSE(Call("SetMD5FileSize", {String("2")}));
  NPVariant nullValue;
  NULL_TO_NPVARIANT(nullValue);
  EXPECT_FALSE(Call("SetMD5FileSize", {nullValue}));
  NPVariant unknown = {};
  unknown.type = static_cast<NPVariantType>(9);
  EXPECT_FALSE(Call("SetMD5FileSize", {unknown}));
  EXPECT_FALSE(Call("SetTipsMsg", {unknown}));
  EXPECT_EQ(calls, fake.calls.size());
}

TEST_F(Methods, StringsArriveCutAtNulAndDecoded) {
  std::string withNul("ab\0cd", 5);
  EXPECT_TRUE(Call("SetTipsMsg", {String(withNul)}));
  EXPECT_EQ(std::vector<std::wstring>{L"'ab'"}, LastArgs());
  EXPECT_TRUE(Call("SetTipsMsg", {String("")}));
  EXPECT_EQ(std::vector<std::wstring>{L"''"}, LastArgs());
  EXPECT_TRUE(Call("SetTipsMsg", {String("\xE4\xB8\xAD\xE6\x96\x87")}));
  EXPECT_EQ(std::vector<std::wstring>{L"'\u4e2d\u6587'"}, LastArgs());
}

TEST_F(Methods, GettersHandBackTheirValues) {
  fake.outLong = -1;
  EXPECT_TRUE(Call("GetPhotoCount", {}));
  EXPECT_EQ(NPVariantType_Int32, result.type);
  EXPECT_EQ(-1, result.value.intValue);
  fake.outLong = 42;
  EXPECT_TRUE(Call("GetVersion", {}));
  EXPECT_EQ(42, result.value.intValue);
  EXPECT_TRUE(Call("GetReversion", {}));
  EXPECT_EQ(42, result.value.intValue);
  fake.outLong = 2;
  EXPECT_TRUE(Call("HaveSetUploadInfo", {}));
  EXPECT_EQ(NPVariantType_Bool, result.type);
  EXPECT_TRUE(result.value.boolValue);
  fake.outLong = 0;
  EXPECT_TRUE(Call("HaveSetUploadInfo", {}));
  EXPECT_FALSE(result.value.boolValue);
  fake.outLong = -1;
  EXPECT_TRUE(Call("HaveSetUploadInfo", {}));
  EXPECT_TRUE(result.value.boolValue);

  fake.outText = L"key-\u00e9";
  EXPECT_TRUE(Call("GetUploadKey", {}));
  ASSERT_EQ(NPVariantType_String, result.type);
  EXPECT_EQ("key-\xC3\xA9", std::string(result.value.stringValue.UTF8Characters,
                                        result.value.stringValue.UTF8Length));
  EXPECT_EQ(1u, g_allocations.count(const_cast<char*>(result.value.stringValue.UTF8Characters)));

  fake.outTextIsNull = true;
  EXPECT_TRUE(Call("GetUploadKey", {}));
  ASSERT_EQ(NPVariantType_String, result.type);
  EXPECT_EQ(0u, result.value.stringValue.UTF8Length);
  EXPECT_EQ('\0', result.value.stringValue.UTF8Characters[0]);
}

TEST_F(Methods, ControlResultDecides) {
  fake.result = S_FALSE;
  EXPECT_TRUE(Call("Upload", {}));
  fake.result = E_FAIL;
  EXPECT_FALSE(Call("Upload", {}));
  fake.outLong = 5;
  EXPECT_FALSE(Call("GetPhotoCount", {}));
  EXPECT_EQ(NPVariantType_Void, result.type);
  size_t allocations = g_allocations.size();
  EXPECT_FALSE(Call("GetUploadKey", {}));
  EXPECT_EQ(NPVariantType_Void, result.type);
  EXPECT_EQ(allocations, g_allocations.size());
}

TEST_F(Methods, NothingReachesAControlThatIsGone) {
  control = nullptr;
  EXPECT_FALSE(Call("Init", {}));
  EXPECT_FALSE(Call("SetTipsMsg", {String("x")}));
  EXPECT_TRUE(fake.calls.empty());
  NPVariant value = String("20");
  EXPECT_TRUE(settings.at("UploadLimit")->Set(&value));
  EXPECT_TRUE(fake.readsDone.empty());
}

TEST_F(Methods, SettingsReachTheControlThroughItsBag) {
  fake.readsOnLoad = {BagRead{L"UploadLimit", VT_I4}};
  NPVariant value = String("20");
  EXPECT_TRUE(settings.at("UploadLimit")->Set(&value));
  ASSERT_EQ(1u, fake.readsDone.size());
  EXPECT_EQ(S_OK, fake.readsDone[0].result);
  EXPECT_EQ(20, fake.readsDone[0].number);

  value = String("12abc");
  EXPECT_TRUE(settings.at("UploadLimit")->Set(&value));
  EXPECT_EQ(12, fake.readsDone.back().number);
  value = String("abc");
  EXPECT_TRUE(settings.at("UploadLimit")->Set(&value));
  EXPECT_EQ(0, fake.readsDone.back().number);

  value = Int(20);  // a script number is not read
  EXPECT_TRUE(settings.at("UploadLimit")->Set(&value));
  EXPECT_EQ(E_FAIL, fake.readsDone.back().result);

  NPVariant read = Int(1);
  EXPECT_FALSE(settings.at("UploadLimit")->Get(&read));
  EXPECT_EQ(1u, fake.refs);
}

TEST_F(Methods, BagAnswersOnlyItsOwnNameTypeAndOnce) {
  fake.readsOnLoad = {BagRead{L"UploadLimit", VT_I4}, BagRead{L"FrameType", VT_BSTR},
                      BagRead{L"FrameType", VT_I4}, BagRead{L"FrameType", VT_I4}};
  NPVariant value = String("3");
  EXPECT_TRUE(settings.at("FrameType")->Set(&value));
  ASSERT_EQ(4u, fake.readsDone.size());
  EXPECT_EQ(E_FAIL, fake.readsDone[0].result);  // another setting's name
  EXPECT_EQ(E_FAIL, fake.readsDone[1].result);  // wrong type; the value is used up
  EXPECT_EQ(E_FAIL, fake.readsDone[2].result);
  EXPECT_EQ(E_FAIL, fake.readsDone[3].result);

  fake.readsDone.clear();
  fake.readsOnLoad = {BagRead{L"TokenContent", VT_BSTR}};
  value = String("");
  EXPECT_TRUE(settings.at("TokenContent")->Set(&value));
  ASSERT_EQ(1u, fake.readsDone.size());
  EXPECT_EQ(S_OK, fake.readsDone[0].result);
  EXPECT_FALSE(fake.readsDone[0].textIsNull);
  EXPECT_EQ(L"", fake.readsDone[0].text);
  value = String("tok\xC3\xA9n");
  EXPECT_TRUE(settings.at("TokenContent")->Set(&value));
  EXPECT_EQ(L"tok\u00e9n", fake.readsDone.back().text);
}

// A control asking the bag for anything but IUnknown or IPropertyBag (such as
// IPropertyBag2, whose vtable differs) must be refused.
TEST_F(Methods, BagAnswersOnlyItsOwnInterfaces) {
  const struct {
    IID iid;
    bool answered;
  } kCases[] = {
      {IID_IUnknown, true},   {IID_IPropertyBag, true},         {IID_IPropertyBag2, false},
      {IID_IDispatch, false}, {IID_IPersistPropertyBag, false}, {IID_IErrorLog, false}};
  for (const auto& c : kCases) fake.bagQueries.push_back(c.iid);
  NPVariant value = String("1");
  EXPECT_TRUE(settings.at("StyleType")->Set(&value));
  ASSERT_EQ(fake.bagQueries.size(), fake.bagAnswers.size());
  for (size_t i = 0; i < fake.bagAnswers.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(kCases[i].answered ? S_OK : E_NOINTERFACE, fake.bagAnswers[i].result);
    EXPECT_EQ(kCases[i].answered, fake.bagAnswers[i].object != nullptr);
  }
  EXPECT_EQ(fake.bagAnswers[0].object, fake.bagAnswers[1].object);
}

TEST_F(Methods, SettingFailsWhenTheControlCannotLoad) {
  NPVariant value = String("1");
  fake.loadResult = E_INVALIDARG;
  EXPECT_FALSE(settings.at("StyleType")->Set(&value));
  fake.loadResult = S_OK;
  fake.persistable = false;
  EXPECT_FALSE(settings.at("StyleType")->Set(&value));
  EXPECT_EQ(1u, fake.refs);
}

}  // namespace
