#pragma once
#include "instancelock.h"

#include <memory>

class frmMain;

// What start-up leaves running: the main window and, beside it, the single-instance lock,
// held until the desk ends. The lock comes first so that it is let go of after the window.
struct Desk
{
    std::unique_ptr<InstanceLock> lock;
    std::unique_ptr<frmMain> window;
};

// The program's start-up, from the data folder to the main window on screen:
//  1. the single-instance lock, before anything is written: a second copy shows its splash
//     and "<program>already running!", and ends;
//  2. the books are opened: made on a first start; an older book is copied into backups/ and
//     brought up to date first, and a newer one, or one lacking a table or column, is refused
//     untouched; then the splash shows the owner and salon;
//  3. on a first run (Misc.count = 1) the flag is cleared, then the owner-details dialog waits;
//  4. the main window is loaded, the splash goes, the salon's name is put under "Used By",
//     the main window shows, and the books are checked whole off the interface thread;
//     damage found then or later shows on the main window.
// The shell's shared login dialog is registered as the shop-password gate on the way.
// Returns the shown main window with the lock held, or an empty desk with a non-zero exit
// status when the program is to end (a second copy, or books that cannot be used; the reason
// has been shown).
Desk startUp(int &exitStatus);
