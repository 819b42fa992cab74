#include "workspace/Application.h"

#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QApplication>

void CreateSecondaryWindows(Tdemoform& demoform)
{
    auto* form6 = new TForm6(&demoform);
    demoform.AttachConfiguration(form6);
}

int RunZentrova(int& argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zentrova");
    // The main window first, then the windows it works with; only the main
    // window is shown.
    Tdemoform demoform;
    CreateSecondaryWindows(demoform);
    demoform.show();
    return QApplication::exec();
}
