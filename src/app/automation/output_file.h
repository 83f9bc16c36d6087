// A text file an automated run writes as it goes (trace, recording), which remembers its first
// write error with the system's reason instead of losing it in a stream's state bits.
#pragma once

#include <cstdio>
#include <string>

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates or truncates the file; false with "cannot write PATH: reason".
    bool Open(const std::string& path, std::string* error);
    bool IsOpen() const { return file != nullptr; }
    // Writes are dropped after the first failure; the failure is kept for Error().
    void Write(const std::string& text);
    // Flushes and closes; false when any write or the close failed.
    bool Close();
    bool Failed() const { return !error.empty(); }
    // "cannot write PATH: reason" for the first failure; empty while all is well.
    const std::string& Error() const { return error; }

private:
    void Fail(int code);

    std::FILE* file = nullptr;
    std::string path;
    std::string error;
};
