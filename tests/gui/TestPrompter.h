// A prompter for tests: while it lives, the program's message boxes,
// questions and dialogs come here instead of the screen.  Failures and
// messages are kept; each answer comes from a replaceable function, and
// without one a question is answered with its escape button, a file dialog
// and any other dialog are cancelled.
#pragma once

#include "ui/Prompts.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class TTestPrompter : public prompts::TPrompter {
public:
    TTestPrompter() { FPrevious = prompts::SetPrompter(this); }
    ~TTestPrompter() override
    {
        if (&prompts::Prompter() == this) prompts::SetPrompter(FPrevious);
    }
    TTestPrompter(const TTestPrompter&) = delete;
    TTestPrompter& operator=(const TTestPrompter&) = delete;

    QStringList Failures;
    QStringList Messages;
    QList<prompts::TQuestion> Questions;    // every question asked
    QList<prompts::TFileChoice> FileChoices; // every file dialog shown

    std::function<void(const QString& text)> OnFailure;
    std::function<void(const QString& text)> OnMessage;
    std::function<QMessageBox::StandardButton(const prompts::TQuestion&)> Answer;
    std::function<QString(const prompts::TFileChoice&)> ChooseFileAnswer;
    std::function<int(QDialog&)> DialogAnswer;

    void ShowFailure(QWidget*, const QString& text) override
    {
        Failures << text;
        if (OnFailure) OnFailure(text);
    }
    void ShowMessage(QWidget*, const QString& text) override
    {
        Messages << text;
        if (OnMessage) OnMessage(text);
    }
    QMessageBox::StandardButton Ask(QWidget*, const prompts::TQuestion& question) override
    {
        Questions << question;
        return Answer ? Answer(question) : question.Escape;
    }
    QString ChooseFile(QWidget*, const prompts::TFileChoice& choice) override
    {
        FileChoices << choice;
        return ChooseFileAnswer ? ChooseFileAnswer(choice) : QString();
    }
    int Run(QDialog& dialog) override { return DialogAnswer ? DialogAnswer(dialog) : int(QDialog::Rejected); }

private:
    prompts::TPrompter* FPrevious = nullptr;
};
