// Resource numbers of Updater's templates, menu, icon and controls.
#pragma once

#define IDR_UPDATER_ICON        128
#define IDR_UPDATER_MENU        129
#define IDD_UPDATER_MAIN        130
#define IDD_UPDATE_DIALOG       131

#define IDC_UPDATE_BUTTON       1
#define IDC_UPDATE_STATUS       1001
#define IDC_UPDATE_PROGRESS     1002
#define IDC_UPDATE_ICON         1003
#define IDC_UPDATE_MESSAGE      1004

#define ID_UPDATE_DATA          32771
#define ID_UPDATER_ABOUT        57664
#define ID_UPDATER_EXIT         57665
