#include "workspace/NotebookWords.h"

#include <QMetaObject>
#include <QTextDocument>
#include <QTextEdit>
#include <cstring>
#include <system_error>

namespace {

// The lines as a calculation reads them.
std::vector<std::string> Lines(const QString& text)
{
    std::vector<std::string> lines;
    if (text.isEmpty()) return lines;
    const QByteArray utf8 = text.toUtf8();
    std::size_t from = 0;
    const std::size_t size = static_cast<std::size_t>(utf8.size());
    for (;;) {
        const char* start = utf8.constData() + from;
        const void* end = std::memchr(start, '\n', size - from);
        if (end == nullptr) break;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(end) - utf8.constData());
        lines.emplace_back(start, at - from);
        from = at + 1;
    }
    lines.emplace_back(utf8.constData() + from, size - from);
    return lines;
}

} // namespace

TNotebookWords::TNotebookWords(QTextEdit* notebook, QObject* parent) : QObject(parent), FNotebook(notebook)
{
    // The pane's signal follows the document it shows, also one opened later.
    connect(notebook, &QTextEdit::textChanged, this, [this] {
        ++FGeneration;
        emit Changed();
    });
}

TNotebookWords::~TNotebookWords()
{
    if (FWorker.joinable()) FWorker.join();
}

void TNotebookWords::Follow()
{
    // Another document (a notebook opened) counts as a change too.
    if (FNotebook->document() != FDocument) {
        FDocument = FNotebook->document();
        ++FGeneration;
    }
}

const calc::TNotebookDefinitions& TNotebookWords::Definitions()
{
    Follow();
    if (FReady && FReady->Generation == FGeneration) return FReady->Definitions;
    if (FRead != FGeneration) {
        FDefinitions = calc::ReadNotebookDefinitions(Lines(FNotebook->toPlainText()));
        FRead = FGeneration;
    }
    return FDefinitions;
}

TNotebookWords::TPrepared* TNotebookWords::Current()
{
    Follow();
    if (FReady && FReady->Generation == FGeneration) return FReady.get();
    if (FReading < 0) StartReading();
    return nullptr;
}

void TNotebookWords::StartReading()
{
    if (FWorker.joinable()) FWorker.join(); // it has sent what it read
    // The text is taken here, on the window's thread; lines, definitions and
    // named values are made on the worker.
    const int generation = FGeneration;
    QString text = FNotebook->document()->isEmpty() ? QString() : FNotebook->toPlainText();
    FReading = generation;
    try {
        FWorker = std::thread([this, generation, text = std::move(text)] {
            auto prepared = std::make_shared<TPrepared>();
            try {
                prepared->Generation = generation;
                prepared->Definitions = calc::ReadNotebookDefinitions(Lines(text));
                prepared->Parser = std::make_unique<TMathParser>();
                calc::DefineValues(*prepared->Parser, prepared->Definitions);
            } catch (...) {
                prepared.reset(); // out of memory: read again on the window's thread
            }
            QMetaObject::invokeMethod(this, [this, prepared] { Received(prepared); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the reading is made here.
        auto prepared = std::make_shared<TPrepared>();
        prepared->Generation = generation;
        prepared->Definitions = Definitions();
        prepared->Parser = std::make_unique<TMathParser>();
        calc::DefineValues(*prepared->Parser, prepared->Definitions);
        Received(prepared);
    }
}

void TNotebookWords::Received(std::shared_ptr<TPrepared> prepared)
{
    FReading = -1;
    if (!prepared) {
        // The worker could not read it: once more here, as a calculation would.
        prepared = std::make_shared<TPrepared>();
        prepared->Generation = FGeneration;
        prepared->Definitions = Definitions();
        prepared->Parser = std::make_unique<TMathParser>();
        calc::DefineValues(*prepared->Parser, prepared->Definitions);
    }
    if (prepared->Generation == FGeneration) {
        FReady = std::move(prepared);
        emit Prepared();
    } else {
        StartReading(); // the notebook changed meanwhile
    }
}
