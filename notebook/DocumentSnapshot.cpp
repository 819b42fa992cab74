#include "notebook/DocumentSnapshot.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFormat>
#include <algorithm>
#include <cmath>

namespace notebook {

namespace {

double PointsOf(const QFont& font)
{
    return font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
}

// A character format as the RTF model keeps it: what the format does not
// say is the document's font.
TRun RunFormat(const QTextCharFormat& f, const QFont& base)
{
    TRun format;
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        format.Colour = f.foreground().color().rgb() & 0xFFFFFFu;
    const QStringList families =
        f.hasProperty(QTextFormat::FontFamilies) ? f.fontFamilies().toStringList() : QStringList{base.family()};
    format.Font = (families.isEmpty() ? base.family() : families.first()).toStdString();
    double points = PointsOf(base);
    if (f.hasProperty(QTextFormat::FontPointSize)) points = f.fontPointSize();
    else if (f.hasProperty(QTextFormat::FontPixelSize)) points = f.intProperty(QTextFormat::FontPixelSize) * 0.75;
    format.HalfPoints = static_cast<int>(std::lround(points * 2));
    format.Bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::Bold : base.bold();
    format.Italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : base.italic();
    format.Underline = f.hasProperty(QTextFormat::FontUnderline) || f.hasProperty(QTextFormat::TextUnderlineStyle)
                           ? f.fontUnderline()
                           : base.underline();
    format.StrikeOut = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : base.strikeOut();
    return format;
}

// The document's format indices met in a snapshot, each resolved once.
class TFormatTable {
public:
    TFormatTable(const QTextDocument& document, std::vector<TRun>& formats)
        : FDocument(document), FBase(document.defaultFont()), FFormats(formats)
    {
    }
    int Slot(int index)
    {
        if (index < 0) index = 0;
        if (static_cast<std::size_t>(index) >= FSlots.size()) FSlots.resize(index + 1, -1);
        int& slot = FSlots[index];
        if (slot < 0) {
            if (!FRead) {
                FAll = FDocument.allFormats(); // shared, not copied
                FRead = true;
            }
            const QTextCharFormat format = index < FAll.size() ? FAll[index].toCharFormat() : QTextCharFormat();
            slot = static_cast<int>(FFormats.size());
            FFormats.push_back(RunFormat(format, FBase));
        }
        return slot;
    }

private:
    const QTextDocument& FDocument;
    const QFont FBase;
    std::vector<TRun>& FFormats;
    std::vector<int> FSlots;
    QList<QTextFormat> FAll;
    bool FRead = false;
};

template <typename Fragments> void AddBlock(TDocumentSnapshot& s, TFormatTable& table, const Fragments& fragments)
{
    s.BlockFragments.push_back(static_cast<int>(fragments.size()));
    for (const auto& [length, format] : fragments) {
        s.FragmentLengths.push_back(length);
        s.FragmentFormats.push_back(table.Slot(format));
    }
}

void ReadFragments(const QTextBlock& block, std::vector<std::pair<int, int>>& out)
{
    out.clear();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.isValid()) out.emplace_back(fragment.length(), fragment.charFormatIndex());
    }
}

void Reserve(TDocumentSnapshot& s, const QTextDocument& document)
{
    const std::size_t blocks = static_cast<std::size_t>(document.blockCount());
    s.BlockFragments.reserve(blocks);
    s.FragmentLengths.reserve(blocks * 2);
    s.FragmentFormats.reserve(blocks * 2);
}

} // namespace

TDocumentSnapshot TakeSnapshot(const QTextDocument& document)
{
    TDocumentSnapshot s;
    s.Text = document.toRawText();
    Reserve(s, document);
    TFormatTable table(document, s.Formats);
    std::vector<std::pair<int, int>> fragments;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        ReadFragments(block, fragments);
        AddBlock(s, table, fragments);
    }
    return s;
}

TRichDocument FromSnapshot(const TDocumentSnapshot& s)
{
    TRichDocument rich;
    rich.Lines.reserve(s.BlockFragments.size());
    const QStringView text(s.Text);
    qsizetype at = 0;
    std::size_t fragment = 0;
    auto append = [&rich](QStringView part, const TRun& format) {
        if (part.isEmpty()) return;
        auto& runs = rich.Lines.back().Runs;
        if (runs.empty() || !runs.back().SameFormat(format)) {
            runs.push_back(format);
            runs.back().Text.clear();
        }
        const QByteArray utf8 = part.toUtf8();
        runs.back().Text.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    };
    for (const int count : s.BlockFragments) {
        rich.Lines.emplace_back();
        for (int i = 0; i < count && fragment < s.FragmentLengths.size(); ++i, ++fragment) {
            const qsizetype length = std::clamp<qsizetype>(s.FragmentLengths[fragment], 0, std::max<qsizetype>(0, text.size() - at));
            const int slot = s.FragmentFormats[fragment];
            static const TRun plain;
            const TRun& format = slot >= 0 && static_cast<std::size_t>(slot) < s.Formats.size() ? s.Formats[slot] : plain;
            // A typed line break (U+2028) ends a line inside the block.
            QStringView piece = text.mid(at, length);
            for (qsizetype cut; (cut = piece.indexOf(QChar::LineSeparator)) >= 0; piece = piece.mid(cut + 1)) {
                append(piece.left(cut), format);
                rich.Lines.emplace_back();
            }
            append(piece, format);
            at += length;
        }
        ++at; // the block's separator
    }
    // An empty document has no lines.
    if (rich.Lines.size() == 1 && rich.Lines[0].Runs.empty()) rich.Lines.clear();
    return rich;
}

TSnapshotTracker::TSnapshotTracker(QObject* parent) : QObject(parent), FAhead(new QTimer(this))
{
    FAhead->setSingleShot(true);
    FAhead->setInterval(0);
    connect(FAhead, &QTimer::timeout, this, &TSnapshotTracker::ReadAhead);
}

void TSnapshotTracker::Follow(QTextDocument& document)
{
    if (FDocument == &document) return;
    disconnect(FChange);
    disconnect(FChanged);
    FDocument = &document;
    FBlocks.clear();
    FChangeSeen = false;
    FChange = connect(&document, &QTextDocument::contentsChange, this, &TSnapshotTracker::ContentsChange);
    FChanged = connect(&document, &QTextDocument::contentsChanged, this, &TSnapshotTracker::ContentsChanged);
    FAheadFrom = 0;
    FAhead->start();
}

// A block is found by the index of its first fragment in the document's
// piece table (QTextBlock::fragmentIndex, a value Qt gives out without
// documenting it), which stays the block's while it lives; the test of
// snapshots through random edits, undo, pastes and replaced documents
// guards that.
TSnapshotTracker::TBlock& TSnapshotTracker::Kept(const QTextBlock& block)
{
    const std::size_t place = static_cast<std::size_t>(block.fragmentIndex());
    if (place >= FBlocks.size()) FBlocks.resize(place + 1 + place / 2);
    return FBlocks[place];
}

void TSnapshotTracker::Read(const QTextBlock& block, TBlock& kept)
{
    kept.Count = 0;
    kept.More.clear();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const std::pair<int, int> entry(fragment.length(), fragment.charFormatIndex());
        if (kept.Count < 3) kept.Few[kept.Count] = entry;
        else kept.More.push_back(entry);
        ++kept.Count;
    }
    kept.Known = true;
    kept.Changed = false;
}

TDocumentSnapshot TSnapshotTracker::Take(QTextDocument& document)
{
    Follow(document);
    TDocumentSnapshot s;
    s.Text = document.toRawText();
    Reserve(s, document);
    TFormatTable table(document, s.Formats);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        TBlock& kept = Kept(block);
        if (!kept.Known || kept.Changed) Read(block, kept);
        s.BlockFragments.push_back(kept.Count);
        for (int i = 0; i < kept.Count; ++i) {
            const auto& [length, format] = i < 3 ? kept.Few[i] : kept.More[i - 3];
            s.FragmentLengths.push_back(length);
            s.FragmentFormats.push_back(table.Slot(format));
        }
    }
    return s;
}

void TSnapshotTracker::ReadAhead()
{
    if (!FDocument) return;
    int reads = 0;
    QTextBlock block = FDocument->findBlockByNumber(FAheadFrom);
    for (; block.isValid() && reads < 4000; block = block.next(), ++FAheadFrom) {
        TBlock& kept = Kept(block);
        if (!kept.Known || kept.Changed) {
            Read(block, kept);
            ++reads;
        }
    }
    if (block.isValid()) FAhead->start(); // more after the events waiting
}

void TSnapshotTracker::ContentsChange(int from, int, int added)
{
    // Every block touched by the change, in the document as it is now: a
    // block that is new, merged or reformatted lies in this range.
    FChangeSeen = true;
    if (!FDocument) return;
    const QTextBlock first = FDocument->findBlock(from);
    const QTextBlock last = FDocument->findBlock(from + added);
    int blocks = 0;
    for (QTextBlock block = first; block.isValid(); block = block.next(), ++blocks) {
        const std::size_t place = static_cast<std::size_t>(block.fragmentIndex());
        if (place < FBlocks.size()) FBlocks[place].Changed = true;
        if (block == last) break;
    }
    if (blocks > 1000 && !FAhead->isActive()) {
        FAheadFrom = first.isValid() ? first.blockNumber() : 0;
        FAhead->start();
    }
}

void TSnapshotTracker::ContentsChanged()
{
    // A document without a layout reports no places: read it all again.
    if (!FChangeSeen) {
        FBlocks.clear();
        FAheadFrom = 0;
        FAhead->start();
    }
    FChangeSeen = false;
}

} // namespace notebook
