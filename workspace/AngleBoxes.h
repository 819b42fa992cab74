// The "Grados"/"Radianes" pairs of check boxes.
#pragma once

#include <QCheckBox>
#include <QSignalBlocker>

// Leaves a pair in the state a click settles it to: the chosen unit checked,
// the other unchecked, whatever the clicked box's state was before.
inline void SetAngleBoxes(QCheckBox* degreesBox, QCheckBox* radiansBox, bool degrees)
{
    const QSignalBlocker b1(degreesBox);
    const QSignalBlocker b2(radiansBox);
    degreesBox->setChecked(degrees);
    radiansBox->setChecked(!degrees);
}
