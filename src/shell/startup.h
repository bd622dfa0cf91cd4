#pragma once
#include <memory>

class frmMain;

// The program's start-up, from the data folder to the main window on screen:
//  1. the single-instance lock, before anything is written: a second copy shows its splash
//     and "<program>already running!", and ends;
//  2. the books are opened: made on a first start; an older book is copied into backups/ and
//     brought up to date first, and a newer one, or one lacking a table or column, is refused
//     untouched; then the splash shows the owner and salon;
//  3. on a first run (Misc.count = 1) the flag is cleared, then the owner-details dialog waits;
//  4. the main window is loaded (it keeps the lock), the splash goes, the salon's name is put
//     under "Used By", the main window shows, and the books are checked whole off the
//     interface thread; damage found then or later shows on the main window.
// The shell's shared login dialog is registered as the shop-password gate on the way.
// Returns the shown main window, or nullptr with a non-zero exit status when the program is
// to end (a second copy, or books that cannot be used; the reason has been shown).
std::unique_ptr<frmMain> startUp(int &exitStatus);
