// Identifiers shared by the resource script and the window code.
#pragma once

#define IDD_OPTIONS 100
#define IDD_ABOUT 101

#define IDC_OPTIONS_GROUP 1101
#define IDC_OPTIONS_FONT_LABEL 1102
#define IDC_OPTIONS_FONT 1103
#define IDC_OPTIONS_CHOOSE 1104
#define IDC_OPTIONS_KEEP_CONSOLE 1105
#define IDC_ABOUT_VERSION 1201
#define IDC_ABOUT_COPYRIGHT 1202
#define IDD_COMPILE 102
#define IDC_COMPILE_PATH 1301
#define IDC_COMPILE_STATUS 1302
