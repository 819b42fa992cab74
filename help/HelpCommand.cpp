#include "help/HelpCommand.h"

#include "help/HelpFile.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QUrl>

#ifndef ZENTROVA_DATADIR
#define ZENTROVA_DATADIR ""
#endif

namespace help {

QString ManualPath()
{
    std::vector<std::string> dataFolders;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        dataFolders.push_back(folder.toStdString());
    return QString::fromStdString(
        FindManual(QCoreApplication::applicationDirPath().toStdString(), dataFolders, ZENTROVA_DATADIR));
}

bool BrowserFound()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true; // the system always has a viewer of web pages
#else
    // What the desktop's opener, or Qt without it, would start.
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    for (const char* program : {"xdg-open", "x-www-browser", "sensible-browser", "firefox", "chromium", "google-chrome"})
        if (!QStandardPaths::findExecutable(program).isEmpty()) return true;
    return false;
#endif
}

bool OpenManual(const std::function<void(const QString&)>& showFailure)
{
    return OpenManualAt(ManualPath(), showFailure);
}

bool OpenManualAt(const QString& path, const std::function<void(const QString&)>& showFailure)
{
    if (path.isEmpty()) {
        showFailure(QString("No se encuentra el manual \"%1\": no está junto al programa (%2) ni en las carpetas "
                            "de datos de la instalación.")
                        .arg(kManualName, QDir::toNativeSeparators(QCoreApplication::applicationDirPath())));
        return false;
    }
    if (!BrowserFound()) {
        showFailure(QString("No se encontró ningún navegador para mostrar el manual. El manual está en \"%1\": "
                            "ábralo con un navegador.")
                        .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        showFailure(QString("No se pudo abrir el manual \"%1\": no hay ningún programa que lo muestre.")
                        .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

} // namespace help
