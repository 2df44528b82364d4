// The standard dialogs (message boxes, the input box, the file and folder dialogs) speak
// Simplified Chinese like the rest of the window, whatever the system's locale.
#pragma once

class QCoreApplication;

// Installs Qt's own zh_CN translations (Debian's qt6-translations-l10n) into app; false
// when they are not installed (the dialogs then keep Qt's English texts).
bool LoadDialogTranslations(QCoreApplication& app);
