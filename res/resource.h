#pragma once
// Resource ids of Shelfmap.dll. The editor loads the strings and the icon by the ids the plug-in's
// exports return; the panel is built from the dialog template.
#define IDS_MENU_TEXT        40000
#define IDS_STATUS_TEXT      40001
#define IDI_SHELFMAP         101
#define IDD_CUSTOMBAR        107
#define IDC_TREE             1001
