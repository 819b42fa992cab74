#include "workspace/Application.h"

#include "help/AboutForm.h"
#include "library/FormulaHolder.h"
#include "workspace/KeyboardForm.h"
#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
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
            QMessageBox::critical(activeWindow(), applicationName(), QString::fromUtf8(e.what()));
        } catch (...) {
            QMessageBox::critical(activeWindow(), applicationName(), "Error inesperado");
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

int RunZentrova(int& argc, char** argv)
{
    TApplication app(argc, argv);
    QApplication::setApplicationName("Zentrova");
    QGuiApplication::setDesktopFileName("org.zentrova.Zentrova"); // the desktop entry, for the icon
    // The toolkit's own dialogs and buttons in Spanish, like the program.
    QTranslator qtSpanish;
    if (qtSpanish.load(QLocale(QLocale::Spanish), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtSpanish);
    // The main window first, then the windows it works with; only the main
    // window is shown.
    Tdemoform demoform;
    CreateSecondaryWindows(demoform);
    demoform.show();
    return QApplication::exec();
}
