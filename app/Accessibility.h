// What assistive technologies (screen readers, accessibility-based tests) are told about the
// window's controls: a role for each of the program's own controls, and a name for every
// control a user can reach that shows none by itself.
#pragma once

class QWidget;

// Installs the accessible interfaces of the program's own controls, once per process. Before
// any of them is made: an interface, once made for a control, stays with it.
void InstallAccessibleInterfaces();

// Names the focusable controls of root that show no name by themselves: by their hint, else
// the label that is their buddy, else the page or group box they sit on. No control is ever
// named by its component name.
void NameControls(QWidget* root);
