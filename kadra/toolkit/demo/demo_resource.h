// Resource ids of vorlu_demo.exe.
#pragma once

#define IDR_DEMO_SCRIPT 5002
#define IDI_DEMO 102
#define IDM_ABOUT 40001
// Images (GetReslibRange: 100 to 300).
#define IDB_DEMO_TABS 100
#define IDB_DEMO_CHECK 200
#define IDB_DEMO_ARROW 201
#define IDB_DEMO_START 300
