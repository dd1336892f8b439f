#pragma once

#include <QString>

// The home is the folder that holds the song table and the program's other files.
namespace Home {

// $TAMBORO_HOME when set and not empty, else the per-user application data folder.
QString defaultPath();

// Makes sure the folder exists; returns its absolute, clean path. Throws EInOutError when the
// folder cannot be created.
QString ensure(const QString& path);

// The absolute path of a file of the home.
QString file(const QString& home, const QString& name);

} // namespace Home
