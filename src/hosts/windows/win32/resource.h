#pragma once

// The ids Windows looks for in a screen saver: the description string its
// Settings list shows, and the settings dialog.
#define IDS_DESCRIPTION 1
#define DLG_SCRNSAVECONFIGURE 2003

#define IDI_VORPI 100

#define IDC_DELAY 1001
#define IDC_SCALE 1002
#define IDC_SEED 1003
