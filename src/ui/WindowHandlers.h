#pragma once
// The handlers of the main window that work on the window alone, and the wiring of every handler
// to its control. All of them run on the GUI thread.

#include <QObject>

#include "ui/Controls.h"

namespace velloran {

class MainWindow;
class WorkerControl;

// Window created: the combo box's closed selection field becomes 30 px high, then the first
// category is selected (a selection by the program, not a choice by the user).
void OnWindowCreated(MainWindow& window, WindowControls& controls);

// 图形按钮3: shows the title banner and then its label when the banner is hidden, otherwise hides
// both. The banner's own state alone decides.
void ToggleBanner(WindowControls& controls);

// 超级列表框1 double-clicked, wherever: the selected row's link goes to the browser; with no row
// selected that is the empty link, handed over all the same.
void OpenSelectedLink(ResultsList& list, DesktopServices& services);

// Connects the controls of `window` to their handlers for as long as `lifetime` exists. `workers`
// receives the start-scan, start-check and category handlers; it may be null (nothing happens).
void ConnectWindowHandlers(MainWindow& window, ResultsList& list, WindowControls& controls,
                           DesktopServices& services, WorkerControl* workers, QObject& lifetime);

}  // namespace velloran
