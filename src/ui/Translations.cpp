#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace typix {

namespace {

// Object names that mark our translators among the application's children.
constexpr const char* kProgramTranslator = "typixTranslator";
constexpr const char* kQtTranslator = "typixQtTranslator";

bool installOne(QCoreApplication* app, const QLocale& locale, const QString& name,
                const QString& folder, const char* objectName) {
    auto* translator = new QTranslator(app);
    translator->setObjectName(QLatin1String(objectName));
    if (translator->load(locale, name, QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

}  // namespace

bool installTranslations(QCoreApplication* app, const QLocale& locale) {
    removeTranslations(app);
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) return false;
    installOne(app, locale, QStringLiteral("qtbase"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath), kQtTranslator);
    return installOne(app, locale, QStringLiteral("typix"), QStringLiteral(":/typix/i18n"),
                      kProgramTranslator);
}

void removeTranslations(QCoreApplication* app) {
    for (QTranslator* translator : app->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
        const QString name = translator->objectName();
        if (name != QLatin1String(kProgramTranslator) && name != QLatin1String(kQtTranslator)) continue;
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

}  // namespace typix
