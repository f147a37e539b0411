#pragma once
// Start-up, message loop and exit of the program.

#include "text/TextTypes.h"

namespace velloran {

// Creates the application and the main window, runs the message loop until the window is closed
// or the exit button is pressed, and returns the exit code (0). `siteHost` is the activity site's
// host, handed to the worker control as it is.
int RunVelloran(int argc, char** argv, const Text& siteHost);

}  // namespace velloran
