// Numbers of the tools' resources and controls: the health calendar, the rest reminder, the
// timed shutdown, the page-tip style editor, the share window and the statistics window.
// The HTML panes are control IDC_EXPLORER of resource.h.
#pragma once

// Dialog templates.
#define IDD_CALENDAR                 160
#define IDD_STATISTICS               180
#define IDD_USER_DEFINE_WEB_TIP      187
#define IDD_SHARE_TO                 192
#define IDD_TIMING_SHUTDOWN          208
#define IDD_REST_REMINDER            219
#define IDD_NEED_REST                222

// Menus.
#define IDR_CALENDAR_MENU            190
#define ID_CALENDAR_NO_REMINDER      32837

// The health calendar.
#define IDC_CALENDAR_CAPTION         1050
#define IDC_CALENDAR_CLOSE           1051
#define IDC_CALENDAR_MENU            1070

// The rest reminder and its notice.
#define IDC_REST_PREVIEW             102
#define IDC_REST_MESSAGE             1031
#define IDC_REST_PICTURE             1076
#define IDC_REST_INTERVAL            1101
#define IDC_REST_COUNTDOWN           1102

// The timed shutdown.
#define IDC_SHUTDOWN_STATUS          1064
#define IDC_SHUTDOWN_LABEL           1073
#define IDC_SHUTDOWN_HOUR            1091
#define IDC_SHUTDOWN_HOUR_SPIN       1092
#define IDC_SHUTDOWN_MINUTE          1093
#define IDC_SHUTDOWN_MINUTE_SPIN     1094
#define IDC_SHUTDOWN_CLOSE           1095

// The page-tip style editor.
#define IDC_TIP_COLOUR_CHOICE        1065
#define IDC_TIP_CHANGE_COLOUR        1066
#define IDC_TIP_RESET                1068
