// Resource and control ids of the window program, shared by the .rc file and
// the code. Plain #defines: windres reads this file too.
#pragma once

#define IDD_OVERWRITE 102
#define IDC_OVERWRITE_TEXT 1030
#define IDC_YES_TO_ALL 1002

#define IDC_PAUSE 1029
