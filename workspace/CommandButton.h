// A tool-bar button that runs the action its menu items run too: it takes
// its picture and hint from the action and triggers it when pressed, and
// keeps two states of its own, which the menu items do not share.  It can
// rest (disabled while the command stays available from the menus), and
// it can show pressed while the view it shows is up (the menu item shows
// no check mark).
#pragma once

#include <QToolButton>

class QAction;

class TCommandButton : public QToolButton {
    Q_OBJECT
public:
    TCommandButton(QAction* command, QWidget* parent);
    void SetResting(bool resting);
    // Makes the button one that shows pressed, and shows it so or not.
    void SetPressed(bool pressed);

protected:
    void actionEvent(QActionEvent* event) override;

private:
    void Apply();
    bool FResting = false;
    bool FPressable = false;
    bool FPressed = false;
};
