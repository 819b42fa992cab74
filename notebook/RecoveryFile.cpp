#include "notebook/RecoveryFile.h"

#include "ui/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>

namespace recovery {

namespace {

constexpr char kHeader[] = "ZENTROVA RECUPERACION 1\n";
constexpr char kEnd[] = "fin\n";

void AppendSection(QByteArray& out, const char* name, const char* data, qsizetype size)
{
    out += name;
    out += ' ';
    out += QByteArray::number(size);
    out += '\n';
    out.append(data, size);
    out += '\n';
}

// Reads "<name> <n>\n<n bytes>\n" at `at`, moving past it.
std::optional<QByteArray> ReadSection(const QByteArray& bytes, qsizetype& at, const QByteArray& name)
{
    const QByteArray head = name + ' ';
    if (!bytes.mid(at, head.size()).startsWith(head)) return std::nullopt;
    const qsizetype lineEnd = bytes.indexOf('\n', at + head.size());
    if (lineEnd < 0 || lineEnd - (at + head.size()) > 12) return std::nullopt;
    bool ok = false;
    const qlonglong size = bytes.mid(at + head.size(), lineEnd - (at + head.size())).toLongLong(&ok);
    const qsizetype start = lineEnd + 1;
    if (!ok || size < 0 || size > bytes.size() - start - 1 || bytes[start + size] != '\n') return std::nullopt;
    at = start + size + 1;
    return bytes.mid(start, size);
}

} // namespace

QByteArray Encode(const TCopy& copy)
{
    const QByteArray expression = copy.Expression.toUtf8();
    QByteArray out;
    out.reserve(static_cast<qsizetype>(copy.Results.size() + copy.Notebook.size()) + expression.size() + 128);
    out += kHeader;
    AppendSection(out, "expresion", expression.constData(), expression.size());
    AppendSection(out, "resultados", copy.Results.data(), static_cast<qsizetype>(copy.Results.size()));
    AppendSection(out, "cuaderno", copy.Notebook.data(), static_cast<qsizetype>(copy.Notebook.size()));
    if (!copy.File.isEmpty()) {
        const QByteArray file = copy.File.toUtf8();
        AppendSection(out, "archivo", file.constData(), file.size());
    }
    out += kEnd;
    return out;
}

std::optional<TCopy> Decode(const QByteArray& bytes)
{
    if (!bytes.startsWith(kHeader)) return std::nullopt;
    qsizetype at = static_cast<qsizetype>(sizeof kHeader - 1);
    const auto expression = ReadSection(bytes, at, "expresion");
    const auto results = expression ? ReadSection(bytes, at, "resultados") : std::nullopt;
    const auto notebook = results ? ReadSection(bytes, at, "cuaderno") : std::nullopt;
    std::optional<QByteArray> file;
    if (notebook && bytes.mid(at, 8) == "archivo ") {
        file = ReadSection(bytes, at, "archivo");
        if (!file) return std::nullopt;
    }
    if (!notebook || bytes.mid(at) != kEnd) return std::nullopt;
    TCopy copy;
    if (file) copy.File = QString::fromUtf8(*file);
    copy.Expression = QString::fromUtf8(*expression);
    copy.Results = results->toStdString();
    copy.Notebook = notebook->toStdString();
    return copy;
}

QString Folder()
{
    return DataPath("recuperacion");
}

QString NewId()
{
    // The process and the moment, and a count for the windows of one process.
    static std::atomic<int> count{0};
    return QString("%1-%2-%3")
        .arg(QDateTime::currentDateTimeUtc().toString("yyyyMMddHHmmsszzz"))
        .arg(QCoreApplication::applicationPid())
        .arg(++count);
}

std::vector<TLeftCopy> ListCopies(const QString& folder)
{
    std::vector<TLeftCopy> copies;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QString("*") + kCopySuffix}, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        copies.push_back({name.left(name.size() - static_cast<qsizetype>(qstrlen(kCopySuffix))),
                          file.absoluteFilePath(), file.lastModified()});
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const TLeftCopy& a, const TLeftCopy& b) { return a.Written > b.Written; });
    return copies;
}

} // namespace recovery
