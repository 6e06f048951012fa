#pragma once

#include <QString>

// Looks for a running program of this user by its file name. Every process is visited; a process counts
// when it is alive (not a zombie waiting to be reaped), belongs to the user running Corvane, and the file
// name of its program file, or else the whole program-file text, equals exeFileName with the ASCII
// letters compared without regard to case. The program file is taken whole, however long its path.
// procRoot lets tests point at a prepared tree; uid is whose processes count.
bool processExists(const QString& exeFileName, const QString& procRoot, uint uid);
bool processExists(const QString& exeFileName);

// Upper-cases only the ASCII letters a to z; every other character stays as it is.
QString asciiUpper(const QString& text);
