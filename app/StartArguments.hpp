#pragma once

#include <QString>
#include <QStringList>

// The command line of the window program: lathwork [--help | --version] [FILE].
namespace lathwork::app {

struct StartArguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString file;  // the model to open; empty: start in the current folder
    QString error; // what is wrong, for Action::Error
};

// words: the arguments after the program name. --help and --version win over any error, so
// they can be answered before the toolkit (which needs a display) is started; "--" ends the
// options.
StartArguments ParseStartArguments(const QStringList& words);

QString StartHelp();
QString StartVersion();

} // namespace lathwork::app
