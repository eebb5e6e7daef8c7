// Writing files through a temporary file, and UTF-8 conversion.
#include "exchange/output_file.h"

#include "common/temporary_file.h"

constexpr size_t kFlushBytes = 1 << 16;

OutputFile::OutputFile(const std::wstring &path) : path_(path)
{
    file_ = CreateFileBeside(path, &temporary_);
}

OutputFile::~OutputFile()
{
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
        DeleteFileW(temporary_.c_str());
    }
}

void OutputFile::Write(const char *bytes, size_t size)
{
    buffer_.append(bytes, size);
    if (buffer_.size() >= kFlushBytes)
        Flush();
}

bool OutputFile::Flush()
{
    if (!failed_ && !buffer_.empty()) {
        DWORD written = 0;
        failed_ = !WriteFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &written, nullptr) ||
                  written != buffer_.size();
    }
    buffer_.clear();
    return !failed_;
}

bool OutputFile::Finish()
{
    if (!IsOpen())
        return false;
    bool written = Flush();
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (written && MoveFileExW(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(temporary_.c_str());
    return false;
}

static void AppendUtf8(std::string *out, unsigned code)
{
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (code >> 6)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (code >> 12)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (code >> 18)));
        out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

const wchar_t *AppendUtf8Character(std::string *out, const wchar_t *text, bool forXml)
{
    unsigned code = static_cast<unsigned short>(*text);
    if (IS_HIGH_SURROGATE(code) && IS_LOW_SURROGATE(text[1])) {
        code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned short>(text[1]) - 0xDC00);
        text++;
    } else if (IS_HIGH_SURROGATE(code) || IS_LOW_SURROGATE(code)) {
        code = 0xFFFD;
    } else if (forXml && ((code < 0x20 && code != 0x09 && code != 0x0A && code != 0x0D) ||
                          code == 0xFFFE || code == 0xFFFF)) {
        code = 0xFFFD;
    }
    AppendUtf8(out, code);
    return text + 1;
}

std::string ToUtf8(const wchar_t *text, bool forXml)
{
    std::string out;
    while (*text != 0)
        text = AppendUtf8Character(&out, text, forXml);
    return out;
}
