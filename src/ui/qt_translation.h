#pragma once

class QTranslator;

namespace orn {

// Loads Qt's own Russian texts (file dialogs, edit menus, the --help headings)
// into translator and installs it in the running application, whatever the
// locale: the window is Russian throughout. False if Qt's translation is missing.
bool installQtTranslation(QTranslator& translator);

}  // namespace orn
