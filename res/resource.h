// Resource ids of both deliverables.
#pragma once

// quillstop
#define IDR_MAINFRAME 128
#define IDD_POLL 102
