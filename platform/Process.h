#pragma once

// Running another program and waiting for it, in place of CreateProcess and
// WaitForSingleObject.

#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

// Splits a command line the way the Windows runtime does for argv: blanks separate arguments,
// double quotes group blanks into one argument and are removed, \" is a literal quote.
QStringList splitCommandLine(const QString& commandLine);

// Runs the command line in a new process and waits for it without a time-out. Returns the
// exit code (128 + signal number when the process was killed by a signal). When the process
// cannot be started, calls showError with the system's text for the reason and returns -1.
// showMode is kept for callers that pass a window show mode; there is no console window here.
int RunCommandAndWait(const QString& commandLine, unsigned short showMode,
                      const std::function<void(const QString&)>& showError);

} // namespace platform
