// The process-wide in-memory diagnostic log. Only the settings store appends to it; it reaches
// a file only when the user asks for a dump.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vorbel {

class DiagnosticLog {
public:
    static constexpr size_t kTrimAbove = 20480;  // units
    static constexpr size_t kKeepOnTrim = 10240;

    void Append(std::u16string_view text) { text_ += text; }
    // Keeps the head: the process's first settings reads are the most telling.
    void Trim() {
        if (text_.size() > kTrimAbove) text_.resize(kKeepOnTrim);
    }
    const std::u16string& Text() const { return text_; }
    void Clear() { text_.clear(); }

private:
    std::u16string text_;
};

DiagnosticLog& TheDiagnosticLog();

// printf-style with wide-string arguments only: each "%s" takes the next argument, "%%" is a
// percent sign. A missing argument formats as empty.
std::u16string FormatLogLine(std::u16string_view format, std::initializer_list<std::u16string_view> args);

void AppendLogLine(std::u16string_view format, std::initializer_list<std::u16string_view> args);
void TrimLog();

}  // namespace vorbel
