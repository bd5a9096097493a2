// Resource and control ids of the window program, shared by the .rc file and
// the code. Plain #defines: windres reads this file too.
#pragma once

// The product's name and copyright line: the About panel and the version
// information say them alike.
#define MORVANE_PRODUCT_NAME "Morvane"
#define MORVANE_COPYRIGHT "Copyright (C) 2026 The Morvane developers"

// Dialogs and images
#define IDD_MAIN 101
#define IDD_OVERWRITE 102
#define IDD_ABOUT 103
#define IDD_HELP 104
#define IDD_SPLIT 105
#define IDD_JOIN 106
#define IDB_EMBLEM 112
#define IDI_PROGRAM 114

// Main window
#define IDC_TABS 1001

// Overwrite question
#define IDC_YES_TO_ALL 1002
#define IDC_OVERWRITE_TEXT 1030

// Split and Join pages (the same ids on both where they mean the same)
#define IDC_SOURCE 1004
#define IDC_BROWSE_SOURCE 1005
#define IDC_BROWSE_OUTPUT 1006
#define IDC_OUTPUT_DIR 1007
#define IDC_SOURCE_LABEL 1008
#define IDC_SOURCE_SIZE 1009
#define IDC_OUTPUT_LABEL 1010
#define IDC_FREE_SPACE 1011
#define IDC_START 1012
#define IDC_CANCEL 1013
#define IDC_MODE_COUNT 1014
#define IDC_MODE_SIZE 1015
#define IDC_FILE_COUNT 1016
#define IDC_SIZE_PER_FILE 1017
#define IDC_COUNT_DISPLAY 1018
#define IDC_CUSTOM_SIZE 1019
#define IDC_SIZE_UNIT 1020
#define IDC_STATUS_GROUP 1021
#define IDC_STATUS_FILE 1022
#define IDC_PROGRESS 1023
#define IDC_STATUS_BYTES 1024
#define IDC_OUTPUT_NAME_LABEL 1025
#define IDC_OUTPUT_NAME 1026
#define IDC_SUMMARY 1027
#define IDC_PAUSE 1029
#define IDC_OPTIONS_LABEL 1032
#define IDC_ELAPSED 1034
#define IDC_REMAINING 1035
#define IDC_OUTCOME 1036 // the idle panel's line on how the last job ended
#define IDC_WRITE_LISTING 1037 // the Split page's "Write a checksum file (.sha256)"
#define IDC_DELETE_AFTER_JOIN 1039

// Help page and About panel
#define IDC_TOPIC_TEXT 1028
#define IDC_EMBLEM 1031
#define IDC_TOPICS 1033
