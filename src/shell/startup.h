#pragma once
#include <memory>

class frmMain;

// The program's start-up, from an opened salon book to the main window on screen:
//  1. the splash with the owner's name and salon;
//  2. on a first run (Misc.count = 1) the flag is cleared, then the owner-details dialog waits;
//  3. the main window is loaded, which refuses a second copy of the program;
//  4. the splash goes, the salon's name is put under "Used By", the main window shows.
// The shell's shared login dialog is registered as the shop-password gate on the way.
// Returns the shown main window, or nullptr with a non-zero exit status when the program is
// to end (a second copy, or a salon book that cannot be read; the reason has been shown).
std::unique_ptr<frmMain> startUp(int &exitStatus);
