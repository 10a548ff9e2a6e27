// Resource, command and control ids of both deliverables.
#pragma once

// quillstop
#define IDR_MAINFRAME 128
#define IDD_POLL 102

// quillbar
#define IDB_TOOLBAR_SMALL 206
#define IDB_PROXY_WORD 210
#define IDB_TOOLBAR_NORMAL 221
#define IDB_TOOLBAR_HOT 222
#define IDB_LOGO 227

// quillbar: the toolbar's buttons
#define ID_PROXY_TOGGLE 32768
#define ID_HELP_PAGE 32775
#define ID_UPDATE_PROXY_LIST 32776

// quillbar: the toolbar and the controls it carries
#define IDC_TOOLBAR 206
#define IDC_LOGO 103
#define IDC_PROXY_COMBO 103  // the same id as the logo's
#define IDC_IP_LABEL 102
