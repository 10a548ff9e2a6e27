// Resource ids of both deliverables.
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
