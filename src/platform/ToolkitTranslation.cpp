#include "platform/ToolkitTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace win {

bool LoadToolkitTranslation() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    auto* t = new QTranslator(app);
    if (!t->load(QStringLiteral("qtbase_zh_TW"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(t)) {
        delete t;
        return false;
    }
    return true;
}

} // namespace win
