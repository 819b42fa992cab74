#include "notebook/RichTextAdapter.h"

#include "notebook/DocumentSnapshot.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

namespace notebook {

TRichDocument FromTextDocument(const QTextDocument& document)
{
    return FromSnapshot(TakeSnapshot(document));
}

bool ToTextDocument(const TRichDocument& rich, QTextDocument& document, const std::function<bool(int lines)>& progress)
{
    // Runs in the document's own face and size keep no face and size of
    // their own, so that a new font for the pane applies to them.
    const QFont base = document.defaultFont();
    const int baseHalfPoints = static_cast<int>(
        std::lround((base.pointSizeF() > 0 ? base.pointSizeF() : base.pixelSize() * 0.75) * 2));
    auto formatOf = [&](const TRun& run) {
        QTextCharFormat f;
        if (run.Colour) f.setForeground(QColor::fromRgb(*run.Colour));
        const QString face = QString::fromStdString(run.Font);
        if (!face.isEmpty() && face.compare(base.family(), Qt::CaseInsensitive) != 0)
            f.setFontFamilies(QStringList{face});
        if (run.HalfPoints > 0 && run.HalfPoints != baseHalfPoints) f.setFontPointSize(run.HalfPoints / 2.0);
        if (run.Bold) f.setFontWeight(QFont::Bold);
        if (run.Italic) f.setFontItalic(true);
        if (run.Underline) f.setFontUnderline(true);
        if (run.StrikeOut) f.setFontStrikeOut(true);
        return f;
    };
    // Notebooks use few formats: each is made once.
    std::vector<std::pair<const TRun*, QTextCharFormat>> formats;
    auto cachedFormat = [&](const TRun& run) -> const QTextCharFormat& {
        for (auto& [known, format] : formats)
            if (known->SameFormat(run)) return format;
        if (formats.size() >= 64) formats.erase(formats.begin());
        formats.emplace_back(&run, formatOf(run));
        return formats.back().second;
    };
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (std::size_t l = 0; l < rich.Lines.size(); ++l) {
        if (l > 0) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        for (const TRun& run : rich.Lines[l].Runs) cursor.insertText(QString::fromStdString(run.Text), cachedFormat(run));
        if (progress && l % 2048 == 2047 && !progress(static_cast<int>(l + 1))) {
            cursor.endEditBlock();
            return false;
        }
    }
    cursor.endEditBlock();
    document.setModified(false);
    return true;
}

} // namespace notebook
