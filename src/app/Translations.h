#pragma once
// The toolkit's own texts (standard buttons, the folder and file pickers) in Japanese,
// whatever the system's language.

class QCoreApplication;

namespace qm {

// Loads Qt's Japanese catalogue from the toolkit's translations folder and installs it.
// False when the catalogue is not there; the program then runs with English dialogs.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace qm
