#pragma once

#include <QString>

class QCoreApplication;

// Qt's own texts in Traditional Chinese: the buttons and labels of the file
// chooser, the print and page set-up dialogs and a message box's details
// button, which Qt draws itself and would otherwise show in English.
namespace QtTranslations {

// Where Debian keeps Qt's translation files (qt6-translations-l10n).
QString defaultFolder();

// Installs qtbase_zh_TW.qm from `folder` into `app`. False when the file is
// missing or unreadable: the dialogs then speak English and the program goes on.
bool install(QCoreApplication &app, const QString &folder = defaultFolder());

} // namespace QtTranslations
