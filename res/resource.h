// Identifiers shared by the resource script and the code.
#pragma once

#define IDD_DOWNLOAD_REQUEST 129
#define IDI_PROGRAM 144
#define IDB_PICTURE 154

#define IDC_EMAIL 1000
#define IDC_FULL_NAME 1001
#define IDC_PHONE 1009
#define IDC_FULL_NAME_LABEL 1015
#define IDC_PHONE_LABEL 1021
#define IDC_INTRO_TEXT 1024
#define IDC_DETAILS_TEXT 1025
#define IDC_NOTE_TEXT 1027
#define IDC_REQUEST_DOWNLOAD 1028
#define IDC_CANCEL 1029
#define IDC_INPUT_FRAME 1030
#define IDC_USER_INFO_FRAME 1031
#define IDC_WAIT_LABEL 1044
