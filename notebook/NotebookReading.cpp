#include "notebook/NotebookReading.h"

#include <QDir>
#include <new>
#include <stdexcept>

namespace notebook {

QString LoadFailureMessage(TLoadResult result)
{
    const QString text = QString::fromStdString(LoadFailureText(result));
    if (result == TLoadResult::Failed) return text;
    return text + "; el cuaderno en pantalla no cambia.";
}

QString ReadingExceptionMessage(const QString& path, std::exception_ptr failure)
{
    const QString head = QString("No se pudo abrir el cuaderno «%1»: ").arg(QDir::toNativeSeparators(path));
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return head + "no hay memoria suficiente para leerlo. El cuaderno en pantalla no cambia.";
    } catch (const std::length_error&) {
        return head + "no hay memoria suficiente para leerlo. El cuaderno en pantalla no cambia.";
    } catch (const std::exception& e) {
        return head + QString("la lectura falló (%1). El cuaderno en pantalla no cambia.").arg(QString::fromUtf8(e.what()));
    } catch (...) {
        return head + "la lectura falló. El cuaderno en pantalla no cambia.";
    }
}

QString ReadingNotStartedMessage(const QString& path, const char* reason)
{
    return QString("No se pudo abrir el cuaderno «%1»: el sistema no permitió empezar la lectura (%2). El cuaderno en "
                   "pantalla no cambia.")
        .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(reason));
}

QString OpenFailureMessage(const QString& path, const TRegularFile& file)
{
    const QString reason = QString::fromStdString(file.Error);
    if (file.NotRegular)
        return QString("No se puede abrir «%1»: %2. El cuaderno en pantalla no cambia.")
            .arg(QDir::toNativeSeparators(path), reason);
    return QString("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace notebook
