#pragma once

#include <QObject>

class QApplication;

namespace qv {

// Keys that mean the same in every window of the program, so that a form can
// be filled and stored from the keyboard alone: Enter on a focused push
// button presses it, as Space does. Buttons that already take Enter - the
// default and auto-default buttons of dialogs and message boxes - are left to
// themselves, so that nothing is pressed twice.
class KeyHabits : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Puts the habits on the whole application for the rest of the run.
void installKeyHabits(QApplication& app);

} // namespace qv
