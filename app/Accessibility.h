// Accessible names for the controls of a window, so that screen readers and
// accessibility-based tests find each control by what it shows.
#pragma once

class QWidget;

// Gives every named child control without an accessible name one: its caption, else its
// hint, else its component name.
void SetAccessibleNames(QWidget* root);
