#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace orn {

bool installQtTranslation(QTranslator& translator) {
  if (translator.isEmpty() &&
      !translator.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  return QCoreApplication::installTranslator(&translator);
}

}  // namespace orn
