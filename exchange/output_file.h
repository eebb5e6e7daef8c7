// A file written through a temporary file in the same folder, which replaces the target only when
// everything was written: a failed write never leaves a half-written file under the target name.
// Bytes are buffered, so a file of any size is written with little memory.
#pragma once

#include <windows.h>

#include <string>

class OutputFile {
public:
    explicit OutputFile(const std::wstring &path);
    ~OutputFile();   // an unfinished file is removed
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    void Write(const char *bytes, size_t size);
    void Write(const std::string &bytes) { Write(bytes.data(), bytes.size()); }

    // Flushes, closes and moves the file into place. True when the target now holds it.
    bool Finish();

private:
    bool Flush();

    std::wstring path_;
    std::wstring temporary_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string buffer_;
    bool failed_ = false;
};

// UTF-16 to UTF-8. Units that XML 1.0 cannot hold (controls other than tab, line feed and
// carriage return, U+FFFE, U+FFFF and unpaired surrogates) become U+FFFD when forXml is set;
// otherwise only unpaired surrogates do.
std::string ToUtf8(const wchar_t *text, bool forXml);
// Appends the character that starts at text (one unit, or a surrogate pair) to out as ToUtf8
// does, and returns where the next one starts.
const wchar_t *AppendUtf8Character(std::string *out, const wchar_t *text, bool forXml);
