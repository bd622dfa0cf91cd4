#pragma once

// Tells the desktop which program the windows belong to: the desktop entry's name (Wayland
// finds the entry, and with it the icon, through it) and the program's icon, taken from the
// icon theme when one is installed there, else the copy compiled into the program.
// Called once, after the application is made and before any window shows.
void setDesktopIdentity();
