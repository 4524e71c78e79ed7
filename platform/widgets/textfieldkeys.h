#pragma once

#include <QObject>

namespace qv {

// Keeps the editing meaning of Ctrl+K inside text fields: it deletes from
// the caret to the end of the line there, and the frame's Ctrl+K
// (收情查询（单人）) runs only outside them. Installed on the application by
// the frame, so that the fields of every window behave alike.
//
// Ctrl+X needs nothing here: an editable text field claims it for cut itself
// (QLineEdit, the text editors and the fields inside spin and combo boxes
// accept its shortcut override), so 退出系统's Ctrl+X runs only outside them.
class TextFieldKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace qv
