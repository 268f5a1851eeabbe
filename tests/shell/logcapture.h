#pragma once
#include <string>

// Sends standard output into a temporary file while it lives; text() reads what was written
// so far, so the order of log lines and other calls can be checked.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::string text() const;

    static const LogCapture* active;  // the capture in force, if any

private:
    int savedStdout = -1;
    std::string path;
};
