#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace qv {

// Every control of a window is known by its object name: the tests, the
// key scripts and the accessibility tools find it by that. The windows make
// their controls through these, so that none is left without one.
template <class Widget> Widget* named(QWidget* parent, const char* name)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline QLabel* namedLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = named<QLabel>(parent, name);
    label->setText(text);
    return label;
}

inline QPushButton* namedButton(QWidget* parent, const char* name, const QString& text)
{
    auto* button = named<QPushButton>(parent, name);
    button->setText(text);
    return button;
}

} // namespace qv
