/* dialog_ids.h - ids of the module's dialog templates and of their controls,
   shared by the resource script and the dialog procedures. Plain C
   preprocessor definitions: the resource compiler reads this file too. */
#ifndef SKYVANE_DIALOG_IDS_H
#define SKYVANE_DIALOG_IDS_H

/* Templates */
#define IDD_SETUP 101
#define IDD_ABOUT 102
#define IDD_KEY_LIST 104
#define IDD_COMMAND_CHOOSER 105
#define IDD_KEY_CAPTURE 106

/* Labels and group boxes */
#define IDC_LABEL (-1)

/* Setup dialog (101) */
#define IDC_FLYBY_DURATION 1000
#define IDC_FLYBY_REL_ALTITUDE 1001
#define IDC_FLYBY_RIGHT 1002
#define IDC_FLYBY_LEFT 1003
#define IDC_FLYBY_RANDOM 1004
#define IDC_FLYBY_TRAVELLING 1005
#define IDC_FLYBY_MIN_DISTANCE 1006
#define IDC_VIEW_TURB_RATE 1007
#define IDC_RUNNING_SPEED 1008
#define IDC_GROUND_TURB_RATE 1009
#define IDC_VIEW_TURB_ON 1010
#define IDC_GROUND_TURB_ON 1011
#define IDC_BUFFET_TURB_RATE 1012
#define IDC_BUFFET_TURB_ON 1013
#define IDC_SMOOTH_VIEW 1016
#define IDC_MAX_TRACKS 1017
#define IDC_MAX_TRACK_DISTANCE 1018
#define IDC_SPOT_TURB_RATE 1019
#define IDC_FLYBY_ANGLE 1020
#define IDC_LOOKAT_LATITUDE 1021
#define IDC_LOOKAT_LONGITUDE 1022
#define IDC_LOOKAT_ALTITUDE 1023
#define IDC_GROUND_TURB_SOUND 1024
#define IDC_VIEW_TURB_SOUND 1025
#define IDC_APPROACH_VIEW_Y 1026
#define IDC_APPROACH_TRANS_ALT 1027
#define IDC_TOWER_HEIGHT 1028
#define IDC_SETUP_OK 1
#define IDC_SETUP_CANCEL 2

/* About dialog (102) */
#define IDC_ABOUT_OK 1

/* Key assignment list (104) */
#define IDC_KEY_LIST 1044
#define IDC_KEY_ADD 1004
#define IDC_KEY_DELETE 1005
#define IDC_KEY_MODIFY 1006
#define IDC_KEY_CLEAR 1007
#define IDC_KEY_CLOSE 1017

/* Command chooser (105) */
#define IDC_COMMAND_LIST 1044
#define IDC_COMMAND_OK 1043
#define IDC_COMMAND_CANCEL 1004

/* Key capture (106) */
#define IDC_CAPTURE_TEXT 1040

#endif
