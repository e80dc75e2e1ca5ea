// Resource identifiers shared by the .rc file and the code.
#pragma once

#define IDD_VORBEL 102
#define IDI_VORBEL 128
#define IDI_VORBEL_EXIT 129

#define IDB_SIDE_PICTURE 129
#define IDD_EXTRACTION 131
#define IDC_EXTRACTION_STATUS 1002
#define IDC_CHART_NUMBER 1003
#define IDC_LAST_NAME 1004
#define IDC_FIRST_NAME 1006

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
