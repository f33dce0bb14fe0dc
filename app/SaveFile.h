#pragma once

#include <QString>

#include <string>

// Writing the program's output files: a file is replaced whole or not at all,
// and a failure is told in the user's words.

// Replaces the file at `path` by `bytes` whole, or leaves whatever had that
// name as it was. A name that is a link to a file is written through to that
// file. On failure `reason` tells why.
bool SaveWhole(const QString& path, const std::string& bytes, QString& reason);

// Why a save to `path` failed, in the user's words; `qtReason`, Qt's own text
// in English, follows in brackets for whoever has to look deeper.
QString SaveFailure(const QString& path, const QString& qtReason);
