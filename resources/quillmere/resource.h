// Resource identifiers of Quillmere. Shared by the .rc and the program.
#pragma once

// Dialog templates.
#define IDD_MAIN 102
#define IDD_EXPORT_PICKER 103
#define IDD_IMPORT_PICKER 104

// The application icon (icon group).
#define IDR_MAINFRAME 128

// Controls. The pickers use IDOK and IDCANCEL for their buttons.
#define IDC_CONTACT_LIST 1500
#define IDC_EXPORT 1501
#define IDC_EXPORT_ALL 1502
#define IDC_SELECTED_ONLY 1503
#define IDC_DRIVE 1504
#define IDC_FILE 1505
#define IDC_IMPORT 1506
#define IDC_EXIT 1507

// Texts: offsets from the language base. Every language has the same
// seventeen strings at these offsets; the id is the base plus the offset.
#define IDS_LAST_NAME 1
#define IDS_FIRST_NAME 2
#define IDS_COMPANY 3
#define IDS_OK 4
#define IDS_CANCEL 5
#define IDS_SELECT_EXPORT_FILE 6
#define IDS_SELECT_IMPORT_FILE 7
#define IDS_EXIT 8
#define IDS_PRODUCT_NAME 9
#define IDS_EXPORT_ALL 10
#define IDS_SELECTED_ONLY 11
#define IDS_EXPORT 12
#define IDS_IMPORT 13
#define IDS_IMPORT_FAILED 15
#define IDS_IMPORT_DONE 16
#define IDS_EXPORTED_TO 17
#define IDS_EXPORT_FAILED 18
