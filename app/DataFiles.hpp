#pragma once

#include <QString>

// Files that travel with the program (the cloaking backdrop): beside the executable in a build
// tree, in the data folder of an installation found relative to the executable (so a copy
// installed under any prefix or staging folder finds its own), else in the system's data
// folders.
namespace lathwork::app {

// The full path of the data file name, or empty when no copy exists.
QString FindDataFile(const QString& name);

} // namespace lathwork::app
