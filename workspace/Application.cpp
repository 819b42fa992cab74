#include "workspace/Application.h"

#include "help/AboutForm.h"
#include "library/FormulaHolder.h"
#include "workspace/KeyboardForm.h"
#include "workspace/ConfigForm.h"
#include "workspace/EndSignals.h"
#include "workspace/MainForm.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QTimer>
#include <QTranslator>
#include <exception>

namespace {

// The application's general error handler: a failure that escapes a
// command is shown in a message box with its text, and the program goes on.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            prompts::ShowFailure(activeWindow(), QString::fromUtf8(e.what()));
        } catch (...) {
            prompts::ShowFailure(activeWindow(), "Error inesperado");
        }
        return false;
    }
};

} // namespace

void CreateSecondaryWindows(Tdemoform& demoform)
{
    // In the order of start-up: the About window, the holder of the formula
    // lists, the keyboard window and the configuration window.  None of
    // them is shown.
    auto* form1 = new TForm1(&demoform);
    demoform.AttachAbout(form1);
    auto* form4 = new TForm4(&demoform);
    demoform.AttachFormulaHolder(form4);
    auto* form5 = new TForm5(&demoform);
    demoform.AttachKeyboard(form5);
    auto* form6 = new TForm6(&demoform);
    demoform.AttachConfiguration(form6);
}

void StartWindows(Tdemoform& demoform)
{
    CreateSecondaryWindows(demoform);
    demoform.show();
    QTimer::singleShot(0, &demoform, [&demoform] { demoform.OfferRecovery(); });
}

int RunZentrova(int& argc, char** argv, const std::function<void(Tdemoform&)>& started)
{
    int result = 0;
    int endSignal = 0;
    {
        TApplication app(argc, argv);
        QApplication::setApplicationName("Zentrova");
        QGuiApplication::setDesktopFileName("org.zentrova.Zentrova"); // the desktop entry, for the icon
        // The toolkit's own dialogs and buttons in Spanish, like the program.
        QTranslator qtSpanish;
        if (qtSpanish.load(QLocale(QLocale::Spanish), "qtbase", "_",
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&qtSpanish);
        TEndSignals endSignals;
        // The main window first, then the windows it works with; only the
        // main window is shown.
        Tdemoform demoform;
        QObject::connect(&endSignals, &TEndSignals::Received, &demoform, [&demoform, &endSignal](int signal) {
            if (endSignal != 0) return;
            endSignal = signal;
            // Whatever is on screen (a question, a reading) is left as it is.
            demoform.KeepWorkForEnd();
            QCoreApplication::exit(128 + signal);
        });
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &demoform,
                         [&demoform](QSessionManager&) { demoform.SessionEnding(); });
        StartWindows(demoform);
        if (started) started(demoform);
        result = QApplication::exec();
        // The copy is on disk: ended by the signal now, not after the windows
        // have waited for their work (a plot being sampled) to stop.
        if (endSignal != 0) TEndSignals::EndAsSignalled(endSignal);
    }
    return result;
}
