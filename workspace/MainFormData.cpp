// The main window's side of the data window: the notebook it reads and
// writes, and the plot it draws on.
#include "workspace/MainForm.h"
#include "workspace/DataWindow.h"

#include "plot/PlotView.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

namespace {

// The name a notebook line defines: before its "=", or before the "(" of a
// function's parameters; blanks around it aside.
QString DefinedName(const QString& line)
{
    const int eq = line.indexOf('=');
    if (eq < 0) return {};
    QString name = line.left(eq);
    const int open = name.indexOf('(');
    if (open >= 0) name = name.left(open);
    return name.trimmed();
}

} // namespace

void Tdemoform::Datos1Click()
{
    if (FormDatos == nullptr) {
        FormDatos = new TFormDatos(this);
        FormDatos->Definitions = [this] {
            std::vector<std::string> lines;
            if (!vars->document()->isEmpty())
                for (const QString& line : vars->toPlainText().split(QChar('\n'))) lines.push_back(line.toStdString());
            return calc::ReadNotebookDefinitions(lines);
        };
        FormDatos->WriteLine = [this](const std::string& name, const std::string& line, bool join) {
            WriteNotebookLine(name, line, join);
        };
        FormDatos->Draw = [this](const std::vector<long double>& x, const std::vector<long double>& y,
                                 const std::vector<long double>& sigma, const QString& function) {
            ShowPointsOnPlot(x, y, sigma, function);
        };
        FormDatos->Digits = [this] { return UpDown1->value(); };
        // The table follows the notebook, a moment after each change.
        auto* later = new QTimer(FormDatos);
        later->setSingleShot(true);
        later->setInterval(250);
        connect(later, &QTimer::timeout, FormDatos, [this, later] {
            if (!FormDatos->isVisible()) return;
            // Not under the user's typing: a cell being edited stays open.
            if (FormDatos->Editing()) later->start();
            else FormDatos->Refresh();
        });
        connect(vars, &QTextEdit::textChanged, later, qOverload<>(&QTimer::start));
    }
    FormDatos->Refresh();
    FormDatos->show();
    FormDatos->raise();
    FormDatos->activateWindow();
}

void Tdemoform::WriteNotebookLine(const std::string& name, const std::string& line, bool join)
{
    const QString wanted = QString::fromStdString(name);
    QTextDocument* doc = vars->document();
    QTextCursor cursor(doc);
    if (join) cursor.joinPreviousEditBlock();
    else cursor.beginEditBlock();
    bool found = false;
    for (QTextBlock block = doc->begin(); block.isValid() && !found; block = block.next()) {
        if (DefinedName(block.text()).compare(wanted, Qt::CaseInsensitive) != 0) continue;
        cursor.setPosition(block.position());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        found = true;
    }
    if (line.empty()) {
        // No line: the one found goes, with its line break.
        if (found) {
            cursor.removeSelectedText();
            if (cursor.atEnd()) cursor.deletePreviousChar();
            else cursor.deleteChar();
        }
        cursor.endEditBlock();
        return;
    }
    if (!found) {
        cursor.movePosition(QTextCursor::End);
        if (!doc->isEmpty() && !cursor.block().text().isEmpty()) cursor.insertBlock();
    }
    cursor.insertText(QString::fromStdString(line));
    cursor.endEditBlock();
}

void Tdemoform::ShowPointsOnPlot(const std::vector<long double>& x, const std::vector<long double>& y,
                                 const std::vector<long double>& sigma, const QString& function)
{
    if (!Panel3->isVisible()) ToolButton6Click();
    Panel3->SetPoints({x, y, sigma});
    Panel3->FitToPoints();
    if (!function.isEmpty()) {
        Panel3->Edit1->setText(function);
        Panel3->Button1Click();
    }
}
