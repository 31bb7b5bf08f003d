#pragma once
// For documentation and checks without a person at the screen: with
// VELMORA_SCREENSHOT set to a file name, the window saves a picture of
// itself as PNG once it has been drawn, and the program ends.
class QWidget;

void ScheduleScreenshot(QWidget& Window);
