#include "ui/Prompts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace prompts {

namespace {

TPrompter gDefault;
TPrompter* gCurrent = nullptr;

// The extension of a filter's first pattern: "txt" for "Archivo de texto (*.txt)".
QString FilterSuffix(const QString& filter)
{
    const QRegularExpressionMatch m = QRegularExpression("\\(\\*\\.([^ ;)]+)").match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

TPrompter& Prompter()
{
    return gCurrent ? *gCurrent : gDefault;
}

TPrompter* SetPrompter(TPrompter* prompter)
{
    TPrompter* previous = gCurrent;
    gCurrent = prompter;
    return previous;
}

void TPrompter::ShowFailure(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, QCoreApplication::applicationName(), text);
}

void TPrompter::ShowMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox::StandardButton TPrompter::Ask(QWidget* parent, const TQuestion& question)
{
    QMessageBox box(question.Icon, question.Title, question.Text, question.Buttons, parent);
    box.setObjectName(question.Name);
    for (auto it = question.Texts.begin(); it != question.Texts.end(); ++it)
        if (QAbstractButton* b = box.button(static_cast<QMessageBox::StandardButton>(it.key()))) b->setText(it.value());
    if (question.Default != QMessageBox::NoButton) box.setDefaultButton(question.Default);
    if (question.Escape != QMessageBox::NoButton) box.setEscapeButton(question.Escape);
    box.exec();
    return box.standardButton(box.clickedButton());
}

QString TPrompter::ChooseFile(QWidget* parent, const TFileChoice& choice)
{
    QFileDialog dialog(parent, choice.Title, choice.Folder);
    dialog.setNameFilters(choice.Filters);
    dialog.setAcceptMode(choice.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // ChooseFileToWrite asks
    if (!choice.Name.isEmpty()) dialog.selectFile(choice.Name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    QString path = dialog.selectedFiles().first();
    const QString suffix = FilterSuffix(dialog.selectedNameFilter());
    if (choice.Save && !suffix.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += "." + suffix;
    return path;
}

int TPrompter::Run(QDialog& dialog)
{
    return dialog.exec();
}

QString ChooseFileToWrite(QWidget* parent, TFileChoice choice)
{
    choice.Save = true;
    for (;;) {
        const QString path = ChooseFile(parent, choice);
        if (path.isEmpty() || !QFileInfo::exists(path)) return path;
        TQuestion replace;
        replace.Title = "Confirmar Guardar como";
        replace.Text = QString("«%1» ya existe.\n¿Desea reemplazarlo?").arg(QFileInfo(path).fileName());
        replace.Icon = QMessageBox::Warning;
        replace.Default = QMessageBox::No;
        replace.Escape = QMessageBox::No;
        replace.Texts = {{QMessageBox::Yes, "Sí"}, {QMessageBox::No, "No"}};
        replace.Name = "PreguntaReemplazar";
        if (Ask(parent, replace) == QMessageBox::Yes) return path;
        // No: the dialog again, in the folder of the name refused.
        choice.Folder = QFileInfo(path).absolutePath();
        choice.Name = QFileInfo(path).fileName();
    }
}

} // namespace prompts
