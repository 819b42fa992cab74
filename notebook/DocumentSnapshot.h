// Copies of a rich-text pane's document that are cheap to take on the
// window's thread and are turned into the RTF model on any other: the
// recovery copy takes one every few seconds while the user types, and a
// save takes one of the whole notebook.
#pragma once

#include "codec/Rtf.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <vector>

class QTextBlock;
class QTextDocument;

namespace notebook {

// A document's text and character formats as plain values, free of the
// document: it may be read on any thread.
struct TDocumentSnapshot {
    // The raw text: each block's text followed by its separator (U+2029
    // between blocks); a typed line break inside a block is U+2028.
    QString Text;
    std::vector<int> BlockFragments;  // how many fragments each block has, in order
    std::vector<int> FragmentLengths; // the UTF-16 length of each fragment, block by block
    std::vector<int> FragmentFormats; // each fragment's format, an index into Formats
    std::vector<TRun> Formats;        // the formats in use, resolved against the document's font; no text
};

// The whole document, read at once.
TDocumentSnapshot TakeSnapshot(const QTextDocument& document);

// The RTF model of a snapshot: every block, and every part of one after a
// typed line break, is a line; each run carries its resolved colour, face,
// size and style.
TRichDocument FromSnapshot(const TDocumentSnapshot& snapshot);

// Takes snapshots of a document again and again, reading only the blocks
// changed since the last one: the rest come from what it kept.  A
// different document (a notebook opened) is read whole.  Many blocks to
// read (a document followed anew, a big paste) are read ahead between
// events, a few thousand at a time, so that the next snapshot finds them.
class TSnapshotTracker : public QObject {
    Q_OBJECT
public:
    explicit TSnapshotTracker(QObject* parent = nullptr);
    // Follows `document` from now on (and reads it ahead).
    void Follow(QTextDocument& document);
    TDocumentSnapshot Take(QTextDocument& document);

private:
    // A block's fragments (length, the document's format index): most
    // blocks have a few, kept in place.
    struct TBlock {
        bool Known = false;
        bool Changed = false;
        int Count = 0;
        std::pair<int, int> Few[3];
        std::vector<std::pair<int, int>> More; // when there are more than three
    };
    TBlock& Kept(const QTextBlock& block);
    static void Read(const QTextBlock& block, TBlock& kept);
    void ReadAhead();
    void ContentsChange(int from, int removed, int added);
    void ContentsChanged();

    QPointer<QTextDocument> FDocument;
    QMetaObject::Connection FChange, FChanged;
    // Indexed by the block's place in the document's block map, which
    // stays the block's while it lives.
    std::vector<TBlock> FBlocks;
    bool FChangeSeen = false; // a change with its place reported since the last "contents changed"
    QTimer* FAhead;
    int FAheadFrom = 0; // the block number where reading ahead goes on
};

} // namespace notebook
