// Output files on stdio, where every failing call leaves errno for the message.
#include "app/automation/output_file.h"

#include <cerrno>
#include <cstring>

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Open(const std::string& filePath, std::string* openError) {
    Close();
    path = filePath;
    error.clear();
    file = std::fopen(path.c_str(), "w");
    if (!file) {
        Fail(errno);
        if (openError) *openError = error;
        return false;
    }
    return true;
}

void OutputFile::Write(const std::string& text) {
    if (!file || Failed()) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) Fail(errno);
}

bool OutputFile::Close() {
    if (!file) return !Failed();
    errno = 0;
    bool flushed = std::fflush(file) == 0;
    int flushErrno = errno;
    bool closed = std::fclose(file) == 0;
    int closeErrno = errno;
    file = nullptr;
    if (!flushed) Fail(flushErrno);
    else if (!closed) Fail(closeErrno);
    return !Failed();
}

void OutputFile::Fail(int code) {
    if (Failed()) return;
    error = "cannot write " + path + ": " + std::strerror(code ? code : EIO);
}
