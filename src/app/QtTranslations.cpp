// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace wb {

bool installChineseQtTranslations() {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    static const char* const kInstalled = "wbChineseQtTranslations";
    if (application->property(kInstalled).toBool())
        return true;
    auto* translator = new QTranslator(application);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    application->setProperty(kInstalled, true);
    return true;
}

} // namespace wb
