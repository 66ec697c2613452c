// Control identifiers of Pelloquin's options dialog, shared by its template
// and its code. The dialog itself is named by a string, "IDD_Option_Form".
#pragma once

#define IDC_OPTION_LIST 3003
#define IDC_SYNC_ALL 3004
#define IDC_SYNC_SELECTED 3005
