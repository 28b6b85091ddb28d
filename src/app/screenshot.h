#pragma once
// Screenshots of the running program for the documentation (docs/screenshots.md):
// VENDRIX_SCREENSHOT=<file.png>,<delay-ms>[,<step>+<step>...]
// Each step runs 400 ms after the one before, the first at 400 ms: the object name of a
// button to click ("ID_BTN_START"), the text of a button of the open box ("No"),
// "type:<text>" typed into the control with the focus, "key:<keys>" ("key:Alt-Q") pressed
// there, "cell:<row>:<column>" clicked in the
// list of the topmost window that has one, or "pause" (nothing, 400 ms more). At the delay the program's
// visible windows are drawn into the file as they lie on the screen, and the program ends.
namespace vx::app {
void scheduleScreenshot();
}
