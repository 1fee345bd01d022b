#pragma once
// Resource ids of Tarvex.exe (message ids are the string-table ids of Strings.rc).
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDI_TARVEX 912
#define IDS_OLE_INIT_FAILED 901

// Frequently used message ids.
#define MSG_EXTRACTION_FAILED 103
#define MSG_NO_VOLUME_WITH_SPACE 104
#define MSG_ALREADY_RUNNING 105
#define MSG_NO_VOLUME_PERMISSION 106
#define MSG_OK 405
#define MSG_CANCEL 406
#define MSG_NOT_SUPPORTED_OS 418
#define MSG_NO_ADMIN_RIGHTS 421
#define MSG_WITHOUT_SERVICE_PACK 422
#define MSG_ERROR_OCCURRED 602
#define MSG_YES 702
#define MSG_NO 704

// Silent and unattended progress window.
#define IDD_UNATTENDED 921
#define IDC_UNATTENDED_PROGRESS 1045
#define IDC_UNATTENDED_STATUS 1046
