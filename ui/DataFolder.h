// The program's data folder, ~/.local/share/Zentrova (XDG_DATA_HOME), where
// the recovery copies and the remembered history live.  Computed here and
// nowhere else.
#pragma once

#include <QDir>
#include <QStandardPaths>
#include <QString>

inline QString DataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

// A file or folder in it.
inline QString DataPath(const QString& name)
{
    return QDir(DataFolder()).filePath(name);
}
