// The ids of the editor's resources: dialog templates, their controls, the menu and its
// commands, the icon and the strings. The resource script and the C++ both include this
// file, so that each id is written once. Only #define lines with plain numbers: the
// resource compiler, the Qt build's template generator and the C++ compiler all read it.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_EDITOR 102
#define IDD_INERTIA 130
#define IDD_FLEET 131
#define IDD_COMPARE 132
#define IDD_CHANGE 140

// The icon, the menu and the strings.
#define IDR_MAINFRAME 128
#define IDR_MAINMENU 129
#define IDR_FLEETMENU 133
#define IDS_ABOUTBOX 101

// The About entry of the editor window's system menu.
#define IDM_ABOUTBOX 16

// Menu commands (menu IDR_MAINMENU).
#define IDM_OPEN_MOTION_MODEL 32771
#define IDM_HELP 32772
#define IDM_PACK_SELECTED 32773
#define IDM_PACK_ALL 32774
#define IDM_DEFINE_ARCHIVE_LOCATION 32775
#define IDM_EXIT 32776
#define IDM_FLEET_OVERVIEW 32777
#define IDM_RELOAD 32778

// The fleet overview's menu, IDR_FLEETMENU.
#define IDM_FLEET_UNDO 32790
#define IDM_FLEET_REDO 32791

// The system's dialog ids, for the build that has no system header to give them.
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif

// Controls nobody refers to.
#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

// The editor window, IDD_EDITOR.
#define IDC_MODEL_LIST 1000
#define IDC_DESCRIPTION 1001
#define IDC_MASS 1002
#define IDC_HORSEPOWER 1003
#define IDC_GAS_SCALE_FACTOR 1004
#define IDC_MAX_ACCEL 1005
#define IDC_MAX_TURN_RATE 1006
#define IDC_TURN_TIGHTNESS 1007
#define IDC_MOMENT_OF_INERTIA 1008  // in IDD_INERTIA too: the calculator's result
#define IDC_BUMPY_FACTOR 1009
#define IDC_STATIC_FRICTION 1010
#define IDC_KINETIC_FRICTION 1011
#define IDC_RESTITUTION 1012
#define IDC_SAVE_CHANGES 1013
#define IDC_SAVE_AS_NEW 1014
#define IDC_SPEED 1015
#define IDC_CALCULATE_INERTIA 1016
#define IDC_FILE_WARNING 1017

// The calculator, IDD_INERTIA.
#define IDC_WIDTH 1018
#define IDC_INERTIA_OK 1020

// The fleet overview, IDD_FLEET, and its comparison, IDD_COMPARE.
#define IDC_FLEET_FILTER 1030
#define IDC_FLEET_STATUS 1031
#define IDC_FLEET_TABLE 1032
#define IDC_FLEET_OPEN 1033
#define IDC_FLEET_COMPARE 1034
#define IDC_FLEET_EXPORT 1035
#define IDC_FLEET_SORT_BY 1036
#define IDC_FLEET_DESCENDING 1037
#define IDC_COMPARE_TABLE 1040
#define IDC_FLEET_HISTORY 1045
#define IDC_FLEET_CHANGE 1060
#define IDC_FLEET_COMPARE_FOLDER 1061
#define IDC_FLEET_ONLY_CHANGED 1062
#define IDC_FLEET_REFERENCE_STATUS 1063

// The change of many models, IDD_CHANGE (OK is Apply).
#define IDC_CHANGE_OPERATION 1070
#define IDC_CHANGE_FIELDS 1071
#define IDC_CHANGE_VALUE 1072
#define IDC_CHANGE_SOURCE 1073
#define IDC_CHANGE_HINT 1074
#define IDC_CHANGE_PREVIEW 1075
#define IDC_CHANGE_SUMMARY 1076
