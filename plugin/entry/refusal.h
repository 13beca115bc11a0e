// The reasons the plug-in gives page script for a refused call: one short
// sentence each, naming the method or setting. The entry that refuses a call
// records its reason; the scriptable object hands it to the browser as the
// call's exception when the call returns false. Free of any platform
// header; everything runs on the plug-in thread.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>

namespace refusal {

// Records the reason of the call being refused; false, for
// `return refusal::Refuse(...)`.
bool Refuse(std::string reason);
// The reason recorded since the last take (empty when none), cleared.
std::string Take();

// What an argument position takes.
enum class Expect { Number, Flag, String };

// "SetThumbSize expects 2 arguments, got 1"
std::string ArgumentCount(std::string_view member, size_t expected, size_t got);
// "SetThumbSize: argument 2 must be a number" (position counts from 1)
std::string ArgumentType(std::string_view member, size_t position, Expect expected);
// "CreateAX: argument 1 must be "ZumiPictavoEx.dll""
std::string ArgumentText(std::string_view member, size_t position, std::string_view text);
// "GetPhotoCount: the control does not exist yet; call CreateAX first"
std::string NoControl(std::string_view member);
// "Upload: the control reported failure 0x80004005"
std::string ControlFailure(std::string_view member, int32_t hr);
// "FrameType: the control takes no settings"
std::string NoSettings(std::string_view member);
// "EditUploadFile is not available in this control"
std::string NotAvailable(std::string_view member);
// "GetUploadKey: the browser gave no memory for the result"
std::string NoMemory(std::string_view member);
// "FrameType is a write-only setting"
std::string WriteOnly(std::string_view setting);
// "CreateAX: pages from https://photos.example.net may not use the control"
std::string OriginRefused(std::string_view member, std::string_view origin);
// "CreateAX: the browser did not tell the page's origin, so the page may not
// use the control"
std::string OriginUnknown(std::string_view member);

}  // namespace refusal
