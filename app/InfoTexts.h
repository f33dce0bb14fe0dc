#pragma once

#include <QString>

// The two fixed texts about the program, lines separated by "\r".

// Behind "О программе": who made the program and on what terms it is used.
QString AboutText();

// Behind a double-click on the hood picture: how to work with the program.
QString HelpText();
