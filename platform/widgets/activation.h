#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QApplication;
class QWidget;

namespace qv {

// Keeps the keyboard with the program where no window manager hands it out
// (a bare X server, as on a test machine): a window that opens is activated,
// and when the active window closes, the window used before it is activated
// again. A window that is not active hears no keys there, and one whose
// focus moves hears no focus events. Where a window manager runs, both
// requests ask for what it does anyway.
class ActivationKeeper : public QObject
{
public:
    explicit ActivationKeeper(QObject* parent = nullptr) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activateUsedBefore();

    QList<QPointer<QWidget>> m_used; // the most recently activated last
};

void installActivationKeeper(QApplication& app);

} // namespace qv
