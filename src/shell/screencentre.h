#pragma once

class QWidget;

// Places a window in the middle of its screen: left = (screen width - window width) / 2,
// top likewise, truncated to whole pixels.
void centreOnScreen(QWidget *window);
