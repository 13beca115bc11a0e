// Resource ids of ZumiPictavoUpdateSvr.exe, shared by its .rc files and code.
#pragma once

#define IDD_TIPS_DLG 129

#define IDC_CLOSE_BTN 1000
#define IDC_NOREMIND_CHK 1001

// PNG images of the notification dialog, resource type "IMAGE".
#define IDR_TIPS_BACKGROUND 1050
#define IDR_TIPS_CLOSE 1051
#define IDR_TIPS_CLOSE_HOVER 1052
#define IDR_TIPS_OK 1053
#define IDR_TIPS_CANCEL 1054
#define IDR_TIPS_BOX 1055
#define IDR_TIPS_BOX_CHECKED 1056
