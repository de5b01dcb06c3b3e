#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

QString InstallQtTranslations(const QString &dir)
{
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
