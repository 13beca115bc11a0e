// The upload control's 32 events (_IPictavoExEvents), each in one row, in
// DISPID order:
//   X(DISPID, NAME, PARAMETERS, ARGUMENTS, REQUIRED, TRACED)
// PARAMETERS is the handler's parameter list as the control's type library
// declares it, ARGUMENTS the same names in order (what script receives),
// REQUIRED the string arguments that stop the delivery when null (the
// others arrive as ""), TRACED 1 when the plug-in's log records the event's
// arrival. The sink's rows, its default handlers, the instance's handlers and
// the script reference all come from this table; a build step compares it
// with the control's IDL.
#pragma once

// clang-format off
#define PICTAVOEX_EVENTS(X)                                                                        \
  X(1, OnSink_UploadSelect, (long value1, long value2), (value1, value2), (), 0)                   \
  X(2, OnSink_UploadResult, (BSTR result, BSTR detail), (result, detail), (result), 0)             \
  X(3, OnSink_ActiveFrame, (long frame), (frame), (), 0)                                           \
  X(4, OnSink_UploadComplete, (), (), (), 0)                                                       \
  X(5, OnSink_PrepareToUpload, (long value), (value), (), 1)                                       \
  X(6, OnSink_UploadParams, (long value), (value), (), 0)                                          \
  X(7, OnSink_LeaveControl, (long value), (value), (), 0)                                          \
  X(8, OnSink_UploadOver, (long value1, long value2, long value3, long value4, long value5),       \
    (value1, value2, value3, value4, value5), (), 0)                                               \
  X(9, OnSink_PrepareToAddPhoto, (), (), (), 0)                                                    \
  X(10, OnSink_HowToDrag, (), (), (), 0)                                                           \
  X(11, OnSlientSink_StartUpload, (BSTR text), (text), (text), 0)                                  \
  X(12, OnSlientSink_StopUpload, (long value), (value), (), 0)                                     \
  X(13, OnSlientSink_Progress, (long value), (value), (), 0)                                       \
  X(14, OnSlientSink_Complete, (BSTR text), (text), (text), 0)                                     \
  X(15, OnSlientSink_Error, (BSTR text), (text), (text), 0)                                        \
  X(16, OnSink_ShowTimeInfo, (BSTR text), (text), (text), 0)                                       \
  X(17, OnSink_HideTimeInfo, (), (), (), 0)                                                        \
  X(18, OnSink_UploadAllSuccessful, (), (), (), 0)                                                 \
  X(19, OnSink_LocalError, (long code, BSTR text1, BSTR text2), (code, text1, text2), (), 0)       \
  X(20, OnSink_DataReport, (BSTR text, long value), (text, value), (text), 0)                      \
  X(21, OnSink_GiveupFocus, (), (), (), 0)                                                         \
  X(22, OnSink_UploadLibDataReport,                                                                \
    (BSTR text1, long value1, long value2, long value3, BSTR text2),                               \
    (text1, value1, value2, value3, text2), (text1, text2), 0)                                     \
  X(23, OnSink_UploadCompleteDataReport, (BSTR text, long value), (text, value), (text), 0)        \
  X(24, OnSink_SizeChanged, (long value), (value), (), 0)                                          \
  X(25, OnSink_WaterMarkPreview, (BSTR text1, BSTR text2, BSTR text3), (text1, text2, text3),      \
    (), 0)                                                                                         \
  X(26, OnSink_UploadReturn, (long value), (value), (), 0)                                         \
  X(30, OnSink_AxInited, (), (), (), 0)                                                            \
  X(35, OnSink_StartReadFile, (BSTR file), (file), (file), 0)                                      \
  X(36, OnSink_StartCompress, (BSTR file), (file), (file), 0)                                      \
  X(37, OnSink_StartUpload, (BSTR file), (file), (file), 0)                                        \
  X(40, OnSink_UploadProgress, (long value1, long value2, long value3), (value1, value2, value3),  \
    (), 0)                                                                                         \
  X(51, OnSink_UsbNotRead, (), (), (), 0)
// clang-format on

// Removes one pair of parentheses: a column's list as it stands in a row.
#define PICTAVOEX_UNPAREN(...) __VA_ARGS__
