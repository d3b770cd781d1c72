// Identifiers of the program's resources and of every control on the sheet
// form. Included by the resource script and by the code.
#pragma once

// Main window
#define IDC_STATUSBAR 1002

// File menu and accelerator commands
#define IDM_SAVE 40004
#define IDM_EXIT 40006
#define IDM_OPEN 40007
#define IDM_SAVE_AS 40008
#define IDM_COPY_TEXT 40011
#define IDM_COPY_PIECE 40012
#define IDM_OPEN_PAGE 40013
#define IDM_NEW 40014
#define IDM_DOLL_LIST 40015
#define IDM_SAVE_UDONARIUM 40016
#define IDM_VERSIONS 40017
// Edit menu, the lists' context menu and their keys: on a list they act on
// its selected entries, in a text box on its text.
#define IDM_UNDO 40201
#define IDM_REDO 40202
#define IDM_EDIT_CUT 40203
#define IDM_EDIT_COPY 40204
#define IDM_EDIT_PASTE 40205
#define IDM_EDIT_DELETE 40206
#define IDM_ADD_ENTRY 40207
#define IDM_MOVE_UP 40208
#define IDM_MOVE_DOWN 40209
#define IDM_EDIT_ENTRY 40210
#define IDM_ADD_FROM_CATALOGUE 40211
#define IDM_REGISTER_IN_CATALOGUE 40212
// The recent sheets' group in the File menu: its separator, then one item a
// sheet, 40101 to 40108.
#define IDM_RECENT_GROUP 40100
#define IDM_RECENT_FIRST 40101

// Sheet form "MAINDLG"
#define IDC_DOLL_NAME 1001
#define IDC_PLAYER_NAME 1002
#define IDC_AGE_AT_DEATH 1003
#define IDC_SUGGESTION 1004
#define IDC_POSITION 1005
#define IDC_MAIN_CLASS 1006
#define IDC_SUB_CLASS 1007
#define IDC_ARMAMENT 1008
#define IDC_MUTATION 1009
#define IDC_MODIFICATION 1010
#define IDC_KARMA_FIRST 1011 // karma line k is 1011 + k, k = 0 to 2
#define IDC_FAVOR_POINTS 1014
#define IDC_KARMA_MARK_FIRST 1015     // the unsaved tick beside karma line k
#define IDC_MEMORY_TITLE_FIRST 1018   // memory row r: 1018 + r
#define IDC_MEMORY_NUMBER_FIRST 1024  // 1024 + r
#define IDC_MEMORY_CONTENT_FIRST 1030 // 1030 + r
#define IDC_REGRET_TARGET_FIRST 1041  // regret row r: 1041 + r
#define IDC_REGRET_CONTENT_FIRST 1047 // 1047 + r
#define IDC_MADNESS_1_FIRST 1053      // the four madness boxes of row r:
#define IDC_MADNESS_2_FIRST 1059      // 1053 + r, 1059 + r, 1065 + r, 1071 + r
#define IDC_MADNESS_3_FIRST 1065
#define IDC_MADNESS_4_FIRST 1071
#define IDC_REGRET_MADNESS_FIRST 1077 // 1077 + r
#define IDC_SKILL_LIST 1090
#define IDC_HEAD_LIST 1091
#define IDC_ARM_LIST 1092
#define IDC_TORSO_LIST 1093
#define IDC_LEG_LIST 1094
#define IDC_MAX_ACTION_BONUS 1095
#define IDC_MAX_ACTION 1096
#define IDC_PLACEMENT_FIRST 1097 // 煉獄, 花園, 楽園: 1097 + placement
#define IDC_PORTRAIT_FRAME 1100

// Entry dialogs "PARTSDLG" and "SKILLDLG": one box per entry text
#define IDC_PART_NAME 3003
#define IDC_PART_EFFECT 3004
#define IDC_PART_TIMING 3005
#define IDC_PART_COST 3006
#define IDC_PART_RANGE 3007
#define IDC_SKILL_NAME 2006
#define IDC_SKILL_TIMING 2007
#define IDC_SKILL_RANGE 2008
#define IDC_SKILL_COST 2009
#define IDC_SKILL_EFFECT 2010

// Catalogue dialog "CATALOGDLG": the entries of a catalogue file to add
#define IDC_CATALOGUE_SEARCH 4001
#define IDC_CATALOGUE_ENTRIES 4002
#define IDC_CATALOGUE_GROUP 4003
#define IDC_CATALOGUE_SUMMARY 4004

// Dialog "REGISTERDLG": a list's entries put into a catalogue file
#define IDC_REGISTER_HEADING 4101
#define IDC_REGISTER_SUMMARY 4102
// Doll list "DOLLLISTDLG": every sheet of a folder, and the commands of its
// list's menu and keys, which act on the selected dolls
#define IDC_DOLL_SEARCH 5001
#define IDC_DOLL_ROWS 5002
#define IDC_DOLL_SUMMARY 5004
#define IDC_DOLL_FOLDER 5005

// The earlier versions of a sheet ("VERSIONSDLG").
#define IDC_VERSION_LIST 5101
#define IDC_VERSION_NONE 5102
#define IDC_VERSION_SAVE_AS 5103
#define IDC_VERSION_DELETE 5104
#define IDM_DOLL_OPEN 40301
#define IDM_DOLL_OPEN_NEW_WINDOW 40302
#define IDM_DOLL_DUPLICATE 40303
#define IDM_DOLL_RECYCLE 40304
#define IDM_DOLL_COPY_TEXT 40305
#define IDM_DOLL_OPEN_PAGE 40306
#define IDM_DOLL_SAVE_UDONARIUM 40307
