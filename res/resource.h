// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_MAIN_DIALOG 102

#define IDC_FOLDER_PATH 1001
#define IDC_PROGRAM_LIST 1003
#define IDC_ALL_ON 1007
#define IDC_ALL_OFF 1008
#define IDC_FOLDER_TREE 1009

// Sentences of the string table (res/Strings.rc), each in Japanese and in English. "%1" and "%2"
// stand for the names and reasons filled in.
#define IDS_PROGRAMS 200     // the program list's name, for screen readers
#define IDS_FOLDERS 201      // the folder tree's name
#define IDS_ERROR_NUMBER 202 // %1: an error number the system has no words for
#define IDS_ROOT_MISSING 203 // the folder tree's root folder is not there
#define IDS_EMPTY_NONE 204   // the empty list's sentences
#define IDS_EMPTY_GONE 205
#define IDS_EMPTY_UNSPELLABLE 206
#define IDS_EMPTY_UNREADABLE 207    // %1: the system's reason
#define IDS_TIP_UNSPELLABLE 208     // %1: a program
#define IDS_TIP_FORBIDDEN 209       // %1: a program
#define IDS_TIP_DEVICE 210          // %1: a program
#define IDS_TIP_MANIFEST_FOLDER 211 // %1: a manifest
#define IDS_TIP_MANIFEST_DEVICE 212 // %1: a manifest
#define IDS_TIP_UNREADABLE 213      // %1: a manifest, %2: the system's reason
#define IDS_TIP_OWN_THEMED 214      // %1: a program, %2: its manifest
#define IDS_TIP_OWN_CLASSIC 215     // %1: a program, %2: its manifest
#define IDS_TIP_FOREIGN 216         // %1: a manifest
#define IDS_FAIL_CREATE 217         // %1: a manifest, %2: the reason
#define IDS_FAIL_DELETE 218         // %1: a manifest, %2: the reason
#define IDS_FAIL_START 219          // %1: a program, %2: the shell's reason
#define IDS_PROGRAM_GONE 220        // %1: a program
#define IDS_REASON_LINK 221         // reasons for a switch that did not take
#define IDS_REASON_NOT_BINNED 222
#define IDS_REASON_NOT_THERE 223
#define IDS_REASON_STILL_THERE 224
