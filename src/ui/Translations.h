#pragma once
// The interface in the user's language: Qt's own texts (standard buttons,
// file dialogs) from Qt's translations folder, and the program's own from the
// translations built into it.  English is the language of the sources and
// needs no translator.  Interface thread only, before the first window.
#include <QLocale>

class QCoreApplication;

namespace typix {

// Installs the translators for `locale` on `app` (owned by it).  Returns true
// when the program has a translation for that language.
bool installTranslations(QCoreApplication* app, const QLocale& locale = QLocale::system());

// Removes the translators installTranslations() put on the application.
void removeTranslations(QCoreApplication* app);

}  // namespace typix
