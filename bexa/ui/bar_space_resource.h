// Resource ids of the BAR space window (dialog 138). Shared by the resource script, the Win32
// adapter and the window's behaviour class, which names the controls it fills by these ids.
#pragma once

#define IDD_BAR_SPACE 138
#define IDI_BAR_REFRESH 1380

#define IDC_BAR_WRITE 1051
#define IDC_BAR_VALUE 1052
#define IDC_BAR_LIST 1053
#define IDC_BAR_RANGE 1050
#define IDC_BAR_BASE 1054
#define IDC_BAR_SPACE 1055
#define IDC_BAR_64BIT 1056
#define IDC_BAR_COPY_SOURCE_TEXT 1057
#define IDC_BAR_COPY_DEST_TEXT 1058
#define IDC_BAR_MB_SCROLL 1059
#define IDC_BAR_KB_SCROLL 1060
#define IDC_BAR_KB_TEXT 1061
#define IDC_BAR_MB_TEXT 1062
#define IDC_BAR_WRITTEN 1063
#define IDC_BAR_ANCHOR 1064
#define IDC_BAR_REFRESH 1068
#define IDC_BAR_REFRESH_AFTER_WRITE 1069
#define IDC_BAR_SOURCE 1071
#define IDC_BAR_DESTINATION 1072
#define IDC_BAR_MEM_COPY 1073
#define IDC_BAR_MEM_TEST 1076
#define IDC_BAR_LOAD_FILE 1077
#define IDC_BAR_SAVE_FILE 1078
#define IDC_BAR_LOOP 1079
#define IDC_BAR_TOGGLE 1080
#define IDC_BAR_COUNT 1081
#define IDC_BAR_RANGE_128 1082
#define IDC_BAR_RANGE_1024 1083
#define IDC_BAR_VERIFY 1084
#define IDC_BAR_AUTO_READ 1086
