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
#define IDC_BIRTH_DATE 1040
#define IDC_BIRTH_DATE_LABEL 1041
#define IDC_SEX 1042
#define IDC_SEX_LABEL 1043

// Setup, its window-tree picker and the field picker's cursor.
#define IDC_TARGET_CURSOR 131
#define IDD_SETUP 132
#define IDD_LIST_CONTROL 133
#define IDC_CHART_TARGET 1005
#define IDC_CHART_PICK 1007
#define IDC_LAST_NAME_TARGET 1008
#define IDC_LAST_NAME_PICK 1009
#define IDC_FIRST_NAME_TARGET 1011
#define IDC_FIRST_NAME_PICK 1012
#define IDC_CHART_VALUE 1013
#define IDC_LAST_NAME_VALUE 1014
#define IDC_WINDOW_TREE 1015
#define IDC_FIRST_NAME_VALUE 1016
#define IDC_PROGRAM_LOCATION 1017
#define IDC_DATA_LOCATION 1018
#define IDC_BROWSE_PROGRAM 1020
#define IDC_BROWSE_DATA 1021
#define IDC_STARTUP_ENTRY 1024
#define IDC_SKIP_CONFIRMATION 1025
#define IDC_EXIT_MODE 1026
#define IDC_DATA_LOCATION_LABEL 1027
#define IDC_POINT_ONLY 1032
#define IDC_CONVENTION 1034
#define IDC_SWAP_NAMES 1036
#define IDC_VIXWIN 1037
#define IDC_CLINIVIEW 1038
#define IDC_TARGET_NOTE 1044
#define IDC_OTHER_PROGRAM 1039

// "Autre programme": the templates of imaging target 6.
#define IDD_TEMPLATE_TARGET 134
#define IDC_TPL_ARGUMENTS 1050
#define IDC_TPL_BRIDGE_PATH 1051
#define IDC_TPL_BRIDGE_CONTENT 1052
#define IDC_TPL_ENCODING 1053
#define IDC_TPL_XML 1054
#define IDC_TPL_PREVIEW 1055
#define IDC_POLICY_NOTE 1056

// The window over one that waits for a worker (the web export): what is under way, "Annuler".
#define IDD_PROGRESS 135
#define IDC_PROGRESS_TEXT 1057

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
