#include "workspace/CommandButton.h"

#include <QAction>
#include <QActionEvent>

TCommandButton::TCommandButton(QAction* command, QWidget* parent) : QToolButton(parent)
{
    setDefaultAction(command);
    Apply();
}

void TCommandButton::SetResting(bool resting)
{
    FResting = resting;
    Apply();
}

void TCommandButton::SetPressed(bool pressed)
{
    FPressable = true;
    FPressed = pressed;
    Apply();
}

void TCommandButton::actionEvent(QActionEvent* event)
{
    // A change of the action sets the button from it again: then its own
    // states are set again over it.
    QToolButton::actionEvent(event);
    if (event->type() == QEvent::ActionChanged && event->action() == defaultAction()) Apply();
}

void TCommandButton::Apply()
{
    setCheckable(FPressable);
    setChecked(FPressed);
    const QAction* command = defaultAction();
    setEnabled(command != nullptr && command->isEnabled() && !FResting);
}
