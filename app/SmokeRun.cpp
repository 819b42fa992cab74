#include "app/SmokeRun.h"

#include "workspace/MainForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

void Key(QWidget* widget, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

} // namespace

bool SmokeRunExpression(int argc, char** argv, std::string& expression)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--prueba-de-humo") == 0) {
            expression = argv[i + 1];
            return true;
        }
    }
    return false;
}

std::function<void(Tdemoform&)> SmokeRun(const std::string& expression)
{
    return [expression](Tdemoform& form) {
        // Once the window has appeared and the recovery question, if any, is past.
        QTimer::singleShot(500, &form, [&form, expression] {
            auto* edit = form.findChild<QPlainTextEdit*>("Memo3");
            auto* results = form.findChild<QTextEdit*>("memo1");
            if (edit == nullptr || results == nullptr) {
                std::fprintf(stderr, "zentrova: no EXPRESIÓN or RESULTADO\n");
                QCoreApplication::exit(3);
                return;
            }
            edit->setFocus();
            for (const QChar ch : QString::fromUtf8(expression)) Key(edit, ch.toUpper().unicode(), QString(ch));
            Key(edit, Qt::Key_Return, "\r");
            const QString line = results->document()->firstBlock().text();
            std::fprintf(stdout, "%s\n", line.toUtf8().constData());
            std::fflush(stdout);
            QCoreApplication::exit(line.isEmpty() ? 1 : 0);
        });
    };
}
