// The control methods that page script sees, in the order the plug-in
// registers them: the script name (also the name of the IPictavoEx operation),
// the vtable position that it reaches, the argument rules (N number, B flag,
// S string) and what script gets back (I long, F flag, S string, - nothing).
// "EditUploadFile" reaches no operation (position 0, out X) and never
// succeeds. The stand-ins of the control are generated from its IDL; the
// build holds this table against the IDL and the plug-in's own table
// (plugin/control/idl_tables.py).
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

struct ScriptMethod {
  const char* name;
  int position;
  const char* rules;
  char out;
};

inline constexpr ScriptMethod kScriptMethods[] = {
    {"Init", 42, "", '-'},
    {"SetMD5FileSize", 41, "N", '-'},
    {"SetWaterPressType", 40, "N", '-'},
    {"GetPhotoCount", 37, "", 'I'},
    {"SetWaterPressUrl", 36, "S", '-'},
    {"SetWaterPressName", 35, "S", '-'},
    {"StartUploadSliently", 56, "", '-'},
    {"StopUploadSliently", 55, "", '-'},
    {"SetRetryTimes", 34, "N", '-'},
    {"Upload", 14, "", '-'},
    {"StopUpload", 33, "B", '-'},
    {"SetActiveXType", 32, "N", '-'},
    {"SetExtendStr", 31, "S", '-'},
    {"Resize", 30, "", '-'},
    {"AddPhoto", 29, "N", '-'},
    {"LeaveControl", 28, "", '-'},
    {"SetPhotoCount", 27, "N", '-'},
    {"SetUploadFilePath", 54, "S", '-'},
    {"SetTipsMsg", 26, "S", '-'},
    {"SetAutoCompress", 25, "B", '-'},
    {"SetUnCompressLimit", 24, "NN", '-'},
    {"UploadEx", 23, "B", '-'},
    {"SetThumbInfo", 22, "NNN", '-'},
    {"SetUploadPath", 21, "S", '-'},
    {"TranslateAccelerator", 20, "", '-'},
    {"EditUploadFile", 0, "", 'X'},
    {"SetUploadLimit", 18, "N", '-'},
    {"SetUploadInfo", 17, "SSSSNNNNN", '-'},
    {"SetTokenContent", 16, "S", '-'},
    {"SetHelpHyperlink", 15, "S", '-'},
    {"ActiveFrame", 13, "N", '-'},
    {"SetFrame", 12, "NNN", '-'},
    {"HaveSetUploadInfo", 11, "", 'F'},
    {"GetUploadKey", 10, "", 'S'},
    {"GetVersion", 9, "", 'I'},
    {"UpdateVersion", 50, "SSSB", '-'},
    {"SetReportServer", 8, "SN", '-'},
    {"SetResourceInfo", 7, "S", '-'},
    {"ResizeInFF", 57, "NN", '-'},
    {"HideSortDropDown", 43, "", '-'},
    {"SetSizeLimits", 44, "SS", '-'},
    {"SetWaterMark", 45, "N", '-'},
    {"SetSvrTime", 46, "N", '-'},
    {"SetThreadCount", 47, "N", '-'},
    {"SetThreadTimeout", 48, "N", '-'},
    {"SetUploadSizeLimit", 49, "N", '-'},
    {"SetUserZumi", 51, "S", '-'},
    {"SetAutoRotate", 58, "B", '-'},
    {"CancelOneTask", 52, "N", '-'},
    {"SetUploadTimeout", 60, "N", '-'},
    {"SetUploadRetryCount", 61, "N", '-'},
    {"SetUploadBlockSize", 62, "N", '-'},
    {"SetUploadLibReportLevel", 63, "N", '-'},
    {"InvalidateAll", 59, "", '-'},
    {"SetBrowserInfo", 53, "SSS", '-'},
    {"SetIPs", 64, "SSS", '-'},
    {"SetIP2", 75, "SSSSB", '-'},
    {"SetUserInfo", 65, "SS", '-'},
    {"SetAlbumInfo", 66, "SSN", '-'},
    {"SetCompressType", 67, "N", '-'},
    {"SetNeedFeeds", 68, "B", '-'},
    {"SetNeedWaterPress", 69, "B", '-'},
    {"SetNeedSynWeibo", 70, "B", '-'},
    {"SetNeedPreUpload", 71, "B", '-'},
    {"SetFeedsTimeStamp", 72, "S", '-'},
    {"SetExtentParam", 73, "SS", '-'},
    {"SetVelnorTipInfo", 74, "SS", '-'},
    {"SetPostLogURL", 76, "SS", '-'},
    {"SetMinSpeed", 77, "N", '-'},
    {"SetThumbSize", 78, "NN", '-'},
    {"SetShowSizeControl", 80, "B", '-'},
    {"SetGoodWaterMark", 81, "NSNNNNNSN", '-'},
    {"UseGoodWaterMark", 82, "B", '-'},
    {"GetWaterMarkPre", 79, "NN", '-'},
    {"ActivePostLog", 83, "S", '-'},
    {"SetLogUser", 84, "B", '-'},
    {"GetReversion", 85, "", 'I'},
    {"SetUploadType", 86, "N", '-'},
    {"SetUploadSolution", 87, "N", '-'},
    {"SetQunUploadMode", 88, "B", '-'},
    {"SetQunCgiParams", 89, "SS", '-'},
    {"OpenIOSDevice", 90, "N", '-'},
    {"OpenPreupload", 91, "N", '-'},
    {"SetWebpCompress", 92, "N", '-'},
};

// The methods that reach an operation of the control.
inline std::vector<ScriptMethod> ControlOperations() {
  std::vector<ScriptMethod> operations;
  for (const ScriptMethod& method : kScriptMethods)
    if (method.position != 0) operations.push_back(method);
  return operations;
}

inline void PrintTo(const ScriptMethod& method, std::ostream* os) {
  *os << method.name << " at " << method.position << ", rules \"" << method.rules << "\"";
}

// Names a parameterised case after its method.
struct MethodName {
  std::string operator()(const ::testing::TestParamInfo<ScriptMethod>& info) const {
    return info.param.name;
  }
};

}  // namespace testsupport
