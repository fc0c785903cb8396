// Resource ids of Bexa's main window and About window (bexa.rc). Plain #defines so that the
// resource compiler and the C++ code read the same file.
#ifndef BEXA_RESOURCE_H
#define BEXA_RESOURCE_H

// Dialogs, strings, icons.
#define IDD_ABOUT 100
#define IDS_ABOUT_MENU 101
#define IDD_BEXA_MAIN 102
#define IDI_BEXA 128
#define IDI_REFRESH 130

// System menu commands 16-31 open the About window.
#define IDM_ABOUT 16
#define IDM_ABOUT_LAST 31

// Main window controls.
#define IDC_EXIT 1
#define IDC_TREE 1000
#define IDC_ABOUT 1004
#define IDC_HIGHEST_BUS 1005
#define IDC_EXPAND_ALL 1010
#define IDC_COLLAPSE_ALL 1011
#define IDC_BUS_SPIN 1015
#define IDC_DEVICE_SPIN 1016
#define IDC_FUNCTION_SPIN 1018
#define IDC_REFRESH 1028
#define IDC_WRITE_VALUE 1029
#define IDC_RESCAN 1030
#define IDC_WRITE_FILE 1031
#define IDC_DUMP 1032
#define IDC_USE_BIOS 1033
#define IDC_RESET_BRIDGE 1034
#define IDC_DUMP_TITLE 1035
#define IDC_WRITE_REG 1036
#define IDC_VENDOR 1037
#define IDC_DEVICE 1038
#define IDC_REVISION 1039
#define IDC_CLASS 1040
#define IDC_REGISTER_ECHO 1041
#define IDC_INT_PIN 1042
#define IDC_SHEET_TITLE 1043
#define IDC_SUB_VENDOR 1044
#define IDC_COUNT_16 1045
#define IDC_COUNT_64 1046
#define IDC_SUB_ID 1047
#define IDC_INT_ROUTING 1048
#define IDC_MEM_MAP 1049
#define IDC_REFRESH_AFTER_WRITE 1069
#define IDC_BUS_SEL 1137
#define IDC_DEVICE_SEL 1138
#define IDC_FUNCTION_SEL 1139

// About window controls.
#define IDC_ABOUT_SYSTEM 1075
#define IDC_ABOUT_HELP 1129

#endif
