// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_MAIN_DIALOG 102

#define IDC_FOLDER_PATH 1001
#define IDC_PROGRAM_LIST 1003
#define IDC_ALL_ON 1007
#define IDC_ALL_OFF 1008
#define IDC_FOLDER_TREE 1009
