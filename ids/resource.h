// Resource, command and control identifiers: the resource script and the shell (app) define
// the windows they name, the wizard opens and drives them. Neither owns them alone, so they
// live here and both include them.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_DESTINATION_PAGE 130
#define IDD_START_PAGE 132
#define IDD_CONFIRM_PAGE 133

#define ID_START_PAGE 101
#define ID_DESTINATION_PAGE 102
#define ID_CONFIRM_PAGE 103
#define ID_LOAD_TITLE 104

#define IDC_DRIVE_LIST 1002
#define IDC_FOLDER_LIST 1003
#define IDC_RESTORE 1004
#define IDC_PATH 1005
#define IDC_NOTES 1006
#define IDC_PICTURE 1007
#define IDC_BACK 1008

#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665

#define IDS_APP_TITLE 57344
