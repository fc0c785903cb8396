// Resource ids of the memory map window (dialog 141) and the interrupt routing window (140).
#pragma once

#define IDD_INT_ROUTING 140
#define IDD_MEMORY_MAP 141

#define IDC_REPORT_MEM_SPACE 1084
#define IDC_REPORT_IO_SPACE 1085
#define IDC_REPORT_MEMORY_MAP 1135
#define IDC_REPORT_INT_ROUTING 1136
