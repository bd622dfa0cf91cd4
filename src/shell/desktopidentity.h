#pragma once

// Tells the desktop which program the windows belong to: the desktop entry's name (Wayland
// finds the entry, and with it the icon, through it). Called once, after the application is
// made and before any window shows.
void setDesktopIdentity();

// The program's icon on every window, taken from the icon theme when one is installed there,
// else the copy compiled into the program. Looking the theme up and drawing the SVG take a
// third of the start-up's time, so start-up calls this once the main window has painted.
void setProgramIcon();
