#include "entry/control_methods.h"

#include <tuple>
#include <utility>

#include "entry/browser_funcs.h"
#include "entry/np_convert.h"
#include "entry/refusal.h"
#include "owners/scoped_com.h"

namespace {

// How one script argument becomes a control argument.
enum class Rule { Number, Flag, String };
// What a getter hands back to script.
enum class Out { None, Int, Flag, String };

template <Rule R>
struct InValue;

template <>
struct InValue<Rule::Number> {
  static constexpr refusal::Expect kExpect = refusal::Expect::Number;
  static bool Accepts(const NPVariant& v) { return npconv::AcceptsNumber(v); }
  void Load(const NPVariant& v) { value = npconv::NumberIn(v); }
  long Pass() const { return value; }
  long value = 0;
};

template <>
struct InValue<Rule::Flag> {
  static constexpr refusal::Expect kExpect = refusal::Expect::Flag;
  static bool Accepts(const NPVariant& v) { return npconv::AcceptsBool(v); }
  void Load(const NPVariant& v) { value = npconv::BoolIn(v); }
  long Pass() const { return value; }
  long value = 0;
};

template <>
struct InValue<Rule::String> {
  static constexpr refusal::Expect kExpect = refusal::Expect::String;
  static bool Accepts(const NPVariant& v) { return npconv::AcceptsString(v); }
  void Load(const NPVariant& v) { value = ScopedBstr(npconv::StringIn(v)); }
  BSTR Pass() const { return value.Get(); }
  ScopedBstr value;
};

// A script method bound to one IPictavoEx operation: exact argument count,
// every argument checked before any is converted, HRESULT >= 0 is success.
// Each refusal records its reason under the method's script name.
template <auto Method, Out O, Rule... Rules>
class CtrlForwarder : public npCtrlMethod<IPictavoEx> {
 public:
  CtrlForwarder(IPictavoEx** control, const char* name) : npCtrlMethod(control), m_name(name) {}

  bool Invoke(const NPVariant* args, uint32_t argCount, NPVariant* result) override {
    if (argCount != sizeof...(Rules))
      return refusal::Refuse(refusal::ArgumentCount(m_name, sizeof...(Rules), argCount));
    IPictavoEx* control = Control();
    if (!control) return refusal::Refuse(refusal::NoControl(m_name));
    if (sizeof...(Rules) > 0 && !args) return false;
    return Forward(control, args, result, std::make_index_sequence<sizeof...(Rules)>{});
  }

 private:
  template <size_t... I>
  bool Forward(IPictavoEx* control, const NPVariant* args, NPVariant* result,
               std::index_sequence<I...>) const {
    (void)args;
    // The first argument its rule refuses, counted from 1.
    size_t refused = 0;
    if (!((InValue<Rules>::Accepts(args[I]) || (refused = I + 1, false)) && ...)) {
      constexpr refusal::Expect kExpected[] = {InValue<Rules>::kExpect..., refusal::Expect::Number};
      return refusal::Refuse(refusal::ArgumentType(m_name, refused, kExpected[refused - 1]));
    }
    std::tuple<InValue<Rules>...> in;
    (std::get<I>(in).Load(args[I]), ...);
    HRESULT hr;
    if constexpr (O == Out::None) {
      hr = (control->*Method)(std::get<I>(in).Pass()...);
      if (FAILED(hr)) return Failed(hr);
      return true;
    } else if constexpr (O == Out::String) {
      ScopedBstr out;
      hr = (control->*Method)(std::get<I>(in).Pass()..., out.Receive());
      if (FAILED(hr)) return Failed(hr);
      if (result && !npconv::StringOut(out.Get(), &NPN_MemAlloc, result))
        return refusal::Refuse(refusal::NoMemory(m_name));
      return true;
    } else {
      long out = 0;
      hr = (control->*Method)(std::get<I>(in).Pass()..., &out);
      if (FAILED(hr)) return Failed(hr);
      if (result) {
        if (O == Out::Int)
          npconv::IntOut(out, result);
        else
          npconv::BoolOut(out, result);
      }
      return true;
    }
  }

  bool Failed(HRESULT hr) const { return refusal::Refuse(refusal::ControlFailure(m_name, hr)); }

  const char* m_name;
};

// Registered so that script sees the name, but it never succeeds.
class UploadCtrlEditUploadFile final : public npCtrlMethod<IPictavoEx> {
 public:
  using npCtrlMethod::npCtrlMethod;
  bool Invoke(const NPVariant*, uint32_t, NPVariant*) override {
    return refusal::Refuse(refusal::NotAvailable("EditUploadFile"));
  }
};

constexpr Rule N = Rule::Number;
constexpr Rule B = Rule::Flag;
constexpr Rule S = Rule::String;

// Class, IPictavoEx operation (also the script name), out rule, argument rules;
// in registration order. The build holds this table against the control's IDL
// (control/idl_tables.py), which also pins the operations' vtable positions.
#define UPLOAD_CTRL_METHODS(X)                                                     \
  X(UploadCtrlInit, Init, None)                                                    \
  X(UploadCtrlSetMD5FileSize, SetMD5FileSize, None, N)                             \
  X(UploadCtrlSetWaterPressType, SetWaterPressType, None, N)                       \
  X(UploadCtrlGetPhotoCount, GetPhotoCount, Int)                                   \
  X(UploadCtrlSetWaterPressUrl, SetWaterPressUrl, None, S)                         \
  X(UploadCtrlSetWaterPressName, SetWaterPressName, None, S)                       \
  X(UploadCtrlStartUploadSliently, StartUploadSliently, None)                      \
  X(UploadCtrlStopUploadSliently, StopUploadSliently, None)                        \
  X(UploadCtrlSetRetryTimes, SetRetryTimes, None, N)                               \
  X(UploadCtrlUpload, Upload, None)                                                \
  X(UploadCtrlStopUpload, StopUpload, None, B)                                     \
  X(UploadCtrlSetActiveXType, SetActiveXType, None, N)                             \
  X(UploadCtrlSetExtendStr, SetExtendStr, None, S)                                 \
  X(UploadCtrlResize, Resize, None)                                                \
  X(UploadCtrlAddPhoto, AddPhoto, None, N)                                         \
  X(UploadCtrlLeaveControl, LeaveControl, None)                                    \
  X(UploadCtrlSetPhotoCount, SetPhotoCount, None, N)                               \
  X(UploadCtrlSetUploadFilePath, SetUploadFilePath, None, S)                       \
  X(UploadCtrlSetTipsMsg, SetTipsMsg, None, S)                                     \
  X(UploadCtrlSetAutoCompress, SetAutoCompress, None, B)                           \
  X(UploadCtrlSetUnCompressLimit, SetUnCompressLimit, None, N, N)                  \
  X(UploadCtrlUploadEx, UploadEx, None, B)                                         \
  X(UploadCtrlSetThumbInfo, SetThumbInfo, None, N, N, N)                           \
  X(UploadCtrlSetUploadPath, SetUploadPath, None, S)                               \
  X(UploadCtrlTranslateAccelerator, TranslateAccelerator, None)                    \
  EDIT_UPLOAD_FILE                                                                 \
  X(UploadCtrlSetUploadLimit, SetUploadLimit, None, N)                             \
  X(UploadCtrlSetUploadInfo, SetUploadInfo, None, S, S, S, S, N, N, N, N, N)       \
  X(UploadCtrlSetTokenContent, SetTokenContent, None, S)                           \
  X(UploadCtrlSetHelpHyperlink, SetHelpHyperlink, None, S)                         \
  X(UploadCtrlActiveFrame, ActiveFrame, None, N)                                   \
  X(UploadCtrlSetFrame, SetFrame, None, N, N, N)                                   \
  X(UploadCtrlHaveSetUploadInfo, HaveSetUploadInfo, Flag)                          \
  X(UploadCtrlGetUploadKey, GetUploadKey, String)                                  \
  X(UploadCtrlGetVersion, GetVersion, Int)                                         \
  X(UploadCtrlUpdateVersion, UpdateVersion, None, S, S, S, B)                      \
  X(UploadCtrlSetReportServer, SetReportServer, None, S, N)                        \
  X(UploadCtrlSetResourceInfo, SetResourceInfo, None, S)                           \
  X(UploadCtrlResizeInFF, ResizeInFF, None, N, N)                                  \
  X(UploadCtrlHideSortDropDown, HideSortDropDown, None)                            \
  X(UploadCtrlSetSizeLimits, SetSizeLimits, None, S, S)                            \
  X(UploadCtrlSetWaterMark, SetWaterMark, None, N)                                 \
  X(UploadCtrlSetSvrTime, SetSvrTime, None, N)                                     \
  X(UploadCtrlSetThreadCount, SetThreadCount, None, N)                             \
  X(UploadCtrlSetThreadTimeout, SetThreadTimeout, None, N)                         \
  X(UploadCtrlSetUploadSizeLimit, SetUploadSizeLimit, None, N)                     \
  X(UploadCtrlSetUserZumi, SetUserZumi, None, S)                                   \
  X(UploadCtrlSetAutoRotate, SetAutoRotate, None, B)                               \
  X(UploadCtrlCancelOneTask, CancelOneTask, None, N)                               \
  X(UploadCtrlSetUploadTimeout, SetUploadTimeout, None, N)                         \
  X(UploadCtrlSetUploadRetryCount, SetUploadRetryCount, None, N)                   \
  X(UploadCtrlSetUploadBlockSize, SetUploadBlockSize, None, N)                     \
  X(UploadCtrlSetUploadLibReportLevel, SetUploadLibReportLevel, None, N)           \
  X(UploadCtrlInvalidateAllTask, InvalidateAll, None)                              \
  X(UploadCtrlSetBrowserInfo, SetBrowserInfo, None, S, S, S)                       \
  X(UploadCtrlSetIPs, SetIPs, None, S, S, S)                                       \
  X(UploadCtrlSetIP2, SetIP2, None, S, S, S, S, B)                                 \
  X(UploadCtrlSetUserInfo, SetUserInfo, None, S, S)                                \
  X(UploadCtrlSetAlbumInfo, SetAlbumInfo, None, S, S, N)                           \
  X(UploadCtrlSetCompressType, SetCompressType, None, N)                           \
  X(UploadCtrlSetNeedFeeds, SetNeedFeeds, None, B)                                 \
  X(UploadCtrlSetNeedWaterPress, SetNeedWaterPress, None, B)                       \
  X(UploadCtrlSetNeedSynWeibo, SetNeedSynWeibo, None, B)                           \
  X(UploadCtrlSetNeedPreUpload, SetNeedPreUpload, None, B)                         \
  X(UploadCtrlSetFeedsTimeStamp, SetFeedsTimeStamp, None, S)                       \
  X(UploadCtrlSetExtentParam, SetExtentParam, None, S, S)                          \
  X(UploadCtrlSetVelnorTipInfo, SetVelnorTipInfo, None, S, S)                      \
  X(UploadCtrlSetPostLogURL, SetPostLogURL, None, S, S)                            \
  X(UploadCtrlSetMinSpeed, SetMinSpeed, None, N)                                   \
  X(UploadCtrlSetThumbSize, SetThumbSize, None, N, N)                              \
  X(UploadCtrlSetShowSizeControl, SetShowSizeControl, None, B)                     \
  X(UploadCtrlSetGoodWaterMark, SetGoodWaterMark, None, N, S, N, N, N, N, N, S, N) \
  X(UploadCtrlUseGoodWaterMark, UseGoodWaterMark, None, B)                         \
  X(UploadCtrlGetWaterMarkPre, GetWaterMarkPre, None, N, N)                        \
  X(UploadCtrlActivePostLog, ActivePostLog, None, S)                               \
  X(UploadCtrlSetLogUser, SetLogUser, None, B)                                     \
  X(UploadCtrlGetReversion, GetReversion, Int)                                     \
  X(UploadCtrlSetUploadType, SetUploadType, None, N)                               \
  X(UploadCtrlSetUploadSolution, SetUploadSolution, None, N)                       \
  X(UploadCtrlSetQunUploadMode, SetQunUploadMode, None, B)                         \
  X(UploadCtrlSetQunCgiParams, SetQunCgiParams, None, S, S)                        \
  X(UploadCtrlOpenIOSDevice, OpenIOSDevice, None, N)                               \
  X(UploadCtrlOpenPreupload, OpenPreupload, None, N)                               \
  X(UploadCtrlSetWebpCompress, SetWebpCompress, None, N)

#define DEFINE_UPLOAD_CTRL(Class, Operation, OutRule, ...)                                        \
  class Class final : public CtrlForwarder<&IPictavoEx::Operation, Out::OutRule, ##__VA_ARGS__> { \
   public:                                                                                        \
    using CtrlForwarder::CtrlForwarder;                                                           \
  };
#define EDIT_UPLOAD_FILE
UPLOAD_CTRL_METHODS(DEFINE_UPLOAD_CTRL)
#undef EDIT_UPLOAD_FILE

// Settings, in registration order; the bag's name is the property's name.
enum class BagType { I4, Bstr };
struct BagSetting {
  const char* name;
  BagType type;
};
constexpr BagSetting kBagSettings[] = {
    {"FrameType", BagType::I4},
    {"EditMaxWidth", BagType::I4},
    {"EditMaxHeight", BagType::I4},
    {"ActiveFrame", BagType::I4},
    {"TokenContent", BagType::Bstr},
    {"HelpHyperlink", BagType::Bstr},
    {"UploadLimit", BagType::I4},
    {"UploadSizeLimit", BagType::I4},
    {"ReportServerIP", BagType::Bstr},
    {"ReportServerPort", BagType::I4},
    {"DownloadResourceURL", BagType::Bstr},
    {"WaterPressName", BagType::Bstr},
    {"WaterPressURL", BagType::Bstr},
    {"WaterPressDownloadAddress", BagType::Bstr},
    {"WaterPressType", BagType::I4},
    {"WaterPressCheck", BagType::I4},
    {"UploadTitleText", BagType::Bstr},
    {"UploadBtnCompress", BagType::Bstr},
    {"UploadBtnWaterPress", BagType::Bstr},
    {"UploadOnceCountLimit", BagType::I4},
    {"UploadOnceWaitTime", BagType::I4},
    {"StyleType", BagType::I4},
    {"RetryTimes", BagType::I4},
    {"MD5FileSize", BagType::I4},
    {"InitPlace", BagType::I4},
};

}  // namespace

void CreateControlMethods(IPictavoEx** control, const MethodSink& add) {
#define REGISTER_UPLOAD_CTRL(Class, Operation, ...) \
  add(#Operation, std::make_unique<Class>(control, #Operation));
#define EDIT_UPLOAD_FILE add("EditUploadFile", std::make_unique<UploadCtrlEditUploadFile>(control));
  UPLOAD_CTRL_METHODS(REGISTER_UPLOAD_CTRL)
#undef EDIT_UPLOAD_FILE
#undef REGISTER_UPLOAD_CTRL
}

void CreateBagProperties(IPictavoEx** control, const PropertySink& add) {
  for (const BagSetting& setting : kBagSettings) {
    std::unique_ptr<CPropertyBag> bag;
    if (setting.type == BagType::I4)
      bag = std::make_unique<CPropertyBagRwI4>(setting.name);
    else
      bag = std::make_unique<CPropertyBagRwBSTR>(setting.name);
    add(setting.name, std::make_unique<npBagProperty>(control, std::move(bag)));
  }
}
