#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

QString InstallQtTranslations(const QString &dir)
{
    // The texts the catalogue below lacks; searched after it, whichever is installed first.
    auto *missing = new QTranslator(QCoreApplication::instance());
    if (!missing->load(QStringLiteral("tavi_qt_zh_CN.qm"), dir + QStringLiteral("/translations"))
        || !QCoreApplication::installTranslator(missing))
        delete missing;
    const QString name = QStringLiteral("qtbase_zh_CN.qm");
    for (const QString &folder : {dir + QStringLiteral("/translations"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(name, folder) && QCoreApplication::installTranslator(translator))
            return folder + QLatin1Char('/') + name;
        delete translator;
    }
    return QString();
}

} // namespace platform
