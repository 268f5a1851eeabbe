#include "logcapture.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

const LogCapture* LogCapture::active = nullptr;

LogCapture::LogCapture()
{
    char pattern[] = "/tmp/zarvik-log-XXXXXX";
    int fd = mkstemp(pattern);
    path = pattern;
    std::fflush(stdout);
    savedStdout = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);
    close(fd);
    active = this;
}

LogCapture::~LogCapture()
{
    std::fflush(stdout);
    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    unlink(path.c_str());
    active = nullptr;
}

std::string LogCapture::text() const
{
    std::fflush(stdout);
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}
