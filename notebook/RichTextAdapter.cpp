#include "notebook/RichTextAdapter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

namespace notebook {

TRichDocument FromTextDocument(const QTextDocument& document)
{
    const QFont base = document.defaultFont();
    const double basePoints = base.pointSizeF() > 0 ? base.pointSizeF() : base.pixelSize() * 0.75;
    TRichDocument rich;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        rich.Lines.emplace_back();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            const QTextCharFormat f = fragment.charFormat();
            TRun format;
            if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
                format.Colour = f.foreground().color().rgb() & 0xFFFFFFu;
            const QStringList families = f.hasProperty(QTextFormat::FontFamilies)
                                             ? f.fontFamilies().toStringList()
                                             : QStringList{base.family()};
            format.Font = (families.isEmpty() ? base.family() : families.first()).toStdString();
            double points = basePoints;
            if (f.hasProperty(QTextFormat::FontPointSize)) points = f.fontPointSize();
            else if (f.hasProperty(QTextFormat::FontPixelSize)) points = f.intProperty(QTextFormat::FontPixelSize) * 0.75;
            format.HalfPoints = static_cast<int>(std::lround(points * 2));
            format.Bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::Bold : base.bold();
            format.Italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : base.italic();
            format.Underline = f.hasProperty(QTextFormat::FontUnderline) || f.hasProperty(QTextFormat::TextUnderlineStyle)
                                   ? f.fontUnderline()
                                   : base.underline();
            format.StrikeOut = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : base.strikeOut();
            // A typed line break (U+2028) ends a line inside the paragraph.
            const QStringList parts = fragment.text().split(QChar::LineSeparator);
            for (qsizetype p = 0; p < parts.size(); ++p) {
                if (p > 0) rich.Lines.emplace_back();
                if (parts[p].isEmpty()) continue;
                auto& runs = rich.Lines.back().Runs;
                if (runs.empty() || !runs.back().SameFormat(format)) {
                    runs.push_back(format);
                    runs.back().Text.clear();
                }
                runs.back().Text += parts[p].toStdString();
            }
        }
    }
    // An empty document has no lines.
    if (rich.Lines.size() == 1 && rich.Lines[0].Runs.empty()) rich.Lines.clear();
    return rich;
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
