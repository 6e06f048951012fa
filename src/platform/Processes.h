#pragma once

#include <QString>

// Looks for a running program by its file name. Every process is visited; a process matches when the
// file-name part of its program file, or else the whole program-file text, equals exeFileName with the
// ASCII letters compared without regard to case. procRoot lets tests point at a prepared tree.
bool processExists(const QString& exeFileName, const QString& procRoot = QStringLiteral("/proc"));

// Upper-cases only the ASCII letters a to z; every other character stays as it is.
QString asciiUpper(const QString& text);
