// The recovery copy's file: what it holds, how it is written and read, and
// where the copies live.
//
// Each running window keeps its copy in the folder "recuperacion" of the
// user's application data folder, as "<id>.copia", beside the lock
// "<id>.bloqueo" that it holds while it runs.  A copy is one file, written
// whole and renamed into place:
//
//   ZENTROVA RECUPERACION 1\n
//   expresion <n>\n<n bytes of UTF-8>\n
//   resultados <n>\n<n bytes of RTF>\n
//   cuaderno <n>\n<n bytes of RTF>\n
//   archivo <n>\n<n bytes of UTF-8>\n    (the notebook's file, when it has one)
//   fin\n
//
// Copies without "archivo" (written before it was kept) are read too.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace recovery {

struct TCopy {
    QString Expression;   // the expression box's text
    std::string Results;  // the results pane, RTF
    std::string Notebook; // the notebook pane, RTF
    QString File;         // the notebook's file, empty when it has none
};

QByteArray Encode(const TCopy& copy);
// Empty when the bytes are not a whole copy.
std::optional<TCopy> Decode(const QByteArray& bytes);

// The folder of the copies (not made here).
QString Folder();
inline constexpr const char* kCopySuffix = ".copia";
inline constexpr const char* kLockSuffix = ".bloqueo";
inline constexpr const char* kDamagedSuffix = ".danada"; // a damaged copy set aside

// A name for a new running window's copy, unique among those of the folder.
QString NewId();

struct TLeftCopy {
    QString Id;
    QString Path;
    QDateTime Written; // when it was last written
};
// The copies in `folder`, newest first, whatever their owners' state.
std::vector<TLeftCopy> ListCopies(const QString& folder);

} // namespace recovery
