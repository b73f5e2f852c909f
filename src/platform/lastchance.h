#pragma once

#include <QString>

#include <exception>

// The last-chance report for an error that ends the program before its message loop runs:
// "Exception <class> in module <program file> at <code address>.\n<message>" with a full
// stop unless the message has one.
QString lastChanceText(const std::exception &error, const void *codeAddress);

// Writes the report to stderr and shows it in a message box with the error icon, captioned
// "Application Error", then returns the exit code (1). On a platform without a screen the
// box is left out: nobody could answer it.
int reportLastChance(const std::exception &error, const void *codeAddress);

// The error's class name as the reports show it.
QString errorClassName(const std::exception &error);
