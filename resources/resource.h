// Numbers of the main program's resources, controls and commands, shared by the resource
// scripts and the code.
#pragma once

// Icons.
#define IDR_MAINFRAME                128
#define IDI_TRAY_PAUSED              164
#define IDI_TRAY_LOCKED              183
#define IDI_TRAY_NORMAL              200

// Dialog templates.
#define IDD_KEZO_DIALOG              129
#define IDD_SET_PASSWORD             172
#define IDD_VERIFY_PASSWORD          173
#define IDD_SAFE                     174
#define IDD_PAUSE                    184
#define IDD_JSMODE                   197
#define IDD_EXIT_JIESE_MODE          202

// The settings centre, and the empty page that stands in for a page not built yet.
#define IDD_BASIC_SET                101
#define IDD_SET                      154
#define IDD_HOTKEY_ERR               162
#define IDD_INTELLIGENT              176
#define IDD_INTELL_WEB               177
#define IDD_PAGE_PLACEHOLDER         3000

// The built-in placeholder page of the embedded browser (resource type HTML, 23).
#define IDR_HTML_PLACEHOLDER         140

// Menus.
#define IDR_MAINSET_MENU             155
#define IDR_TRAY_MENU                165

// String table.
#define IDS_SHOW_MAIN_WINDOW         104
#define IDS_HIDE_MAIN_WINDOW         105
#define IDS_PAUSE_FILTERING          106
#define IDS_RESUME_FILTERING         107
#define IDS_VERIFY_PASSWORD          108
#define IDS_LOCKED_TITLE             109
#define IDS_START_FORCED_MODE        118
#define IDS_EXTEND_FORCED_MODE       119

// Controls of the main window.
#define IDC_CLOSE_BUTTON             1002
#define IDC_XIUSHEN_PICTURE          1003
#define IDC_JIESE_PICTURE            1004
#define IDC_EXPLORER                 1006
#define IDC_MINI_BUTTON              1007
#define IDC_MENU_BUTTON              1008
#define IDC_SHARE_ICON               1071
#define IDC_DIGIT0                   1210
#define IDC_DIGIT1                   1211
#define IDC_DIGIT2                   1212
#define IDC_DIGIT3                   1213
#define IDC_DIGIT4                   1214
#define IDC_DIGIT5                   1215
#define IDC_DIGIT6                   1216
#define IDC_DIGIT7                   1217
#define IDC_DIGIT8                   1218
#define IDC_DIGIT9                   1219
#define IDC_BANNER                   1220
#define IDC_VERSION_LABEL            1221
#define IDC_LINK_WECHAT              1222
#define IDC_LINK_VOLUNTEER           1223
#define IDC_LINK_DONATE              1224
#define IDC_LINK_SHARE               1225

// Controls of the password dialogs, the password page and the pause dialog.
#define IDC_SHOW_PASSWORD            1013
#define IDC_PASSWORD                 1053
#define IDC_PASSWORD_CONFIRM         1054
#define IDC_LOCK_DELAY               1055
#define IDC_CLEAR_PASSWORD           1056
#define IDC_CHANGE_PASSWORD          1057
#define IDC_SET_PASSWORD             1058
#define IDC_PASSWORD_STATUS          1059
#define IDC_PAUSE_CHOICE             1075
#define IDC_DIALOG_HEADING           1301
#define IDC_DIALOG_PICTURE           1302
#define IDC_DIALOG_TEXT              1303
#define IDC_DIALOG_CLOSE             1304

// Controls of the forced-mode dialog and of the window that ends the mode.
#define IDC_JSMODE_HOURS             1079
#define IDC_JSMODE_SWITCH            1085
#define IDC_JSMODE_HOURS_LABEL       1086
#define IDC_FORCE_SHUTDOWN           1087

// Controls of the settings centre, its basic page and the hot-key notice.
#define IDC_AUTOSTART                1013
#define IDC_CALENDAR_SWITCH          1014
#define IDC_JIESE_TIP                1015
#define IDC_XIUSHEN_TIP              1016
#define IDC_HOTKEY                   1017
#define IDC_HOTKEY_APPLY             1019
#define IDC_TRAY_ICON                1021
#define IDC_CLOSE_HIDES              1023
#define IDC_CLOSE_QUITS              1024
#define IDC_SET_TAB                  1033
#define IDC_TIP_STYLE                1067
#define IDC_BACKUP                   1089
#define IDC_RESTORE                  1090
#define IDC_HOTKEY_ERR_TEXT          1305
#define IDC_INTELL_MANAGE            1306
#define IDC_INTELL_TIP               1307
#define IDC_INTELL_SLIDER            1308
#define IDC_INTELL_DESCRIPTION       1309
#define IDC_INTELL_LEARNED           1310
#define IDC_INTELL_RELEASED          1311

// Commands of the menus.
#define ID_SETTINGS_CENTRE           32774
#define ID_BACK_TO_MAIN_VIEW         32775
#define ID_ABOUT                     32781
#define ID_HOME_PAGE                 32784
#define ID_CHECK_UPDATE              32785
#define ID_HELP_PAGE                 32786
#define ID_LOCK_NOW                  32799
#define ID_PAUSE_FILTERING           32800
#define ID_CLEAN_TRACES              32807
#define ID_EXIT                      32808
#define ID_SHOW_HIDE                 32810
#define ID_HEALTH_CALENDAR           32811
#define ID_FORCED_MODE               32839
#define ID_TIMED_SHUTDOWN            32841
#define ID_REST_REMINDER             32845
#define ID_WINDOW_PATROL             32847
#define ID_REPORT_SITE               32849

// Commands of the locked tray menu.
#define ID_LOCKED_UNLOCK             1097
#define ID_LOCKED_ADD_SITE           1099
#define ID_LOCKED_TIMED_SHUTDOWN     1103
#define ID_LOCKED_ADD_KEYWORD        1114

// The filter page, the welcome window and the about box (templates and controls; the
// welcome window shares the filter page's numbers for the same switches).
#define IDD_ABOUT                    156
#define IDD_FILTER                   157
#define IDD_WELCOME                  229
#define IDC_WELCOME_AUTOSTART        1013
#define IDC_WELCOME_CALENDAR         1014
#define IDC_WELCOME_JIESE_TIP        1015
#define IDC_WELCOME_XIUSHEN_TIP      1016
#define IDC_FILTER_AD                1018
#define IDC_AUTO_CLEAR_CACHE         1020
#define IDC_FILTER_ADDRESS           1022
#define IDC_WELCOME_HEADING          1031
#define IDC_NONE_PICTURE             1035
#define IDC_ONLY_WHITE_LIST          1036
#define IDC_POWERFUL_FILTERING       1037
#define IDC_CLEAN_CACHE_NOW          1045
#define IDC_RESET_IMAGE_LIST         1089
#define IDC_WELCOME_PICTURE          1104
#define IDC_WEB_CONTROL              1108
#define IDC_MANUAL_FILTER_IMAGE      1109
#define IDC_ENABLE_HTTP              1111
#define IDC_ENABLE_HTTPS             1112
#define IDC_NONE_PICTURE_MODE        1113
#define IDC_SELECT_ALL               1115
#define IDC_SAFE_SEARCH              1116

// The keyword page, the site lists page, the add-site and add-keyword dialogs and the notice
// after an add: templates, menus, strings, controls and commands.
#define IDD_USERWORD                 166
#define IDD_BWDOMAIN                 167
#define IDD_ADD_URL                  171
#define IDD_ADDED_NOTICE             246
#define IDD_ADD_WORD                 248
#define IDR_USERWORD_MENU            168
#define IDR_BWDOMAIN_MENU            170
#define IDS_BW_BLACK                 3046
#define IDS_BW_WHITE                 3047
#define IDS_BW_URL_KEYWORD           3050
#define IDS_BW_NO_IMAGE              3052
#define IDC_USERWORD_LIST            1039
#define IDC_USERWORD_ENTRY           1040
#define IDC_USERWORD_ADD             1041
#define IDC_USERWORD_HIDE            1042
#define IDC_USERWORD_COUNT           1043
#define IDC_USERWORD_EXPLANATION     1044
#define IDC_ADD_WORD_NOTE            1044
#define IDC_BW_BLACK                 1046
#define IDC_BW_WHITE                 1047
#define IDC_BW_LIST                  1048
#define IDC_ADD_URL_ENTRY            1049
#define IDC_BW_URL_KEYWORD           1050
#define IDC_BW_NO_IMAGE              1052
#define IDC_ADD_PROMPT               1073
#define IDC_ADD_WORD_ENTRY           1118
#define IDC_NOTICE_TEXT              1305
#define ID_USERWORD_DELETE_SELECTED  32821
#define ID_USERWORD_CLEAR_ALL        32822
#define ID_USERWORD_IMPORT           32823
#define ID_USERWORD_EXPORT           32824
#define ID_BW_ADD                    32829
#define ID_BW_OPEN_IN_BROWSER        32830
#define ID_BW_DELETE_SELECTED        32831
#define ID_BW_CLEAR_ALL              32832
#define ID_BW_IMPORT                 32864
