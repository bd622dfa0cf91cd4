#pragma once

// The mouse pointer of the whole program: busy (hourglass) or normal. "Normal" clears the busy
// state however often busy was set, as screens set busy before record-set work and normal after.
namespace pointer {
void busy();
void normal();
bool isBusy();
} // namespace pointer
