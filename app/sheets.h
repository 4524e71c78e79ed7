#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace qv {

class Transaction;

// Makes a task window over the connection. The window's objectName must be
// its name ("w_lwdj" …): the frame finds an open sheet by it.
using WindowFactory = std::function<QWidget*(Transaction&)>;

// The frame's menu opens windows by name; a name without a factory opens
// nothing. Registering a name again replaces its factory.
void registerWindow(const QString& name, WindowFactory factory);
void unregisterWindow(const QString& name);
WindowFactory windowFactory(const QString& name);

// Menu commands that are not windows ("datainit"): they run in the menu
// handler itself, with the frame as the parent of their boxes.
using MenuCommand = std::function<void(Transaction&, QWidget* frame)>;
void registerCommand(const QString& name, MenuCommand command);
MenuCommand menuCommand(const QString& name);

// Registers every task window of the program; called once by main().
void registerTaskWindows();

} // namespace qv
