#include "handoff/program_command.h"

#include <algorithm>

namespace vorbel {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool HasExtension(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/");
    const size_t dot = path.rfind(u'.');
    return dot != std::u16string_view::npos && (slash == std::u16string_view::npos || dot > slash);
}

// A shorter part must name its extension: C:\Program is never taken for C:\Program.exe.
std::optional<std::u16string> ResolveCandidate(std::u16string_view candidate, const ResolveProgramFile& resolve,
                                               bool whole) {
    if (candidate.empty()) return std::nullopt;
    if (HasExtension(candidate)) return resolve(candidate);
    if (!whole) return std::nullopt;
    if (auto full = resolve(candidate)) return full;
    return resolve(std::u16string(candidate) + u".exe");
}

// Letters, digits and signs that mean nothing to cmd.exe may go bare; anything else is quoted.
bool BareForCmd(char16_t c) {
    if (c >= 0x80) return true;
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return true;
    return std::u16string_view(u"#$*+-./:?@\\_").find(c) != std::u16string_view::npos;
}

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

std::optional<ProgramSetting> SplitProgramSetting(std::u16string_view setting, const ResolveProgramFile& resolve) {
    if (!setting.empty() && setting.front() == u'"') {
        const size_t close = setting.find(u'"', 1);
        const size_t end = close == std::u16string_view::npos ? setting.size() : close + 1;
        auto full = ResolveCandidate(setting.substr(1, end - 1 - (close != std::u16string_view::npos)), resolve, true);
        if (!full) return std::nullopt;
        return ProgramSetting{std::u16string(setting.substr(0, end)), std::move(*full),
                              std::u16string(setting.substr(end))};
    }
    // Longest first: "C:\Program Files\x.exe" is found before a C:\Program.exe could be.
    for (size_t end = setting.size(); end > 0;) {
        if (auto full = ResolveCandidate(setting.substr(0, end), resolve, end == setting.size())) {
            return ProgramSetting{std::u16string(setting.substr(0, end)), std::move(*full),
                                  std::u16string(setting.substr(end))};
        }
        while (end > 0 && !IsBlank(setting[end - 1])) --end;  // back to the blank before this part
        while (end > 0 && IsBlank(setting[end - 1])) --end;
    }
    return std::nullopt;
}

bool IsBatchFile(std::u16string_view path) {
    while (!path.empty() && (path.back() == u'.' || path.back() == u' ')) path.remove_suffix(1);
    if (path.size() < 4) return false;
    std::u16string tail(path.substr(path.size() - 4));
    std::transform(tail.begin(), tail.end(), tail.begin(), Lower);
    return tail == u".bat" || tail == u".cmd";
}

bool BatchCannotCarry(std::u16string_view value) {
    return value.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos;
}

std::u16string QuoteBatchArgument(std::u16string_view argument) {
    // An empty argument would vanish; a final backslash would take a quote with it in "%~1".
    bool quote = argument.empty() || argument.back() == u'\\';
    for (char16_t c : argument) quote = quote || !BareForCmd(c) || IsControl(c);
    std::u16string out;
    if (quote) out += u'"';
    size_t backslashes = 0;
    for (char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
        } else {
            if (c == u'"') {
                // 2n backslashes before the quote, then the quote doubled.
                out.append(backslashes, u'\\');
                out += u'"';
            } else if (c == u'%') {
                // "%%cd:~,%" is the empty substring of a variable that always exists: cmd.exe
                // expands that instead of a %NAME% the value would spell.
                out += u"%%cd:~,";
            }
            backslashes = 0;
        }
        out += c;
    }
    if (quote) {
        out.append(backslashes, u'\\');
        out += u'"';
    }
    return out;
}

std::optional<std::u16string> BuildBatchCommandLine(std::u16string_view script,
                                                    const std::vector<std::u16string>& arguments) {
    // A file name holds no quote and does not end with a backslash.
    if (script.empty() || script.find(u'"') != std::u16string_view::npos || script.back() == u'\\' ||
        BatchCannotCarry(script))
        return std::nullopt;
    // cmd.exe drops the outer pair of quotes and reads the rest as one command.
    std::u16string line = u"cmd.exe /e:ON /v:OFF /d /c \"\"";
    line.append(script).append(u"\"");
    for (const std::u16string& argument : arguments) {
        if (BatchCannotCarry(argument)) return std::nullopt;
        line += u' ';
        line += QuoteBatchArgument(argument);
    }
    line += u'"';
    if (line.size() > kCmdLineLimit) return std::nullopt;
    return line;
}

std::vector<std::u16string> SplitCommandLineArguments(std::u16string_view text) {
    std::vector<std::u16string> arguments;
    size_t i = 0;
    for (;;) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i >= text.size()) break;
        std::u16string argument;
        bool quoted = false;
        while (i < text.size() && (quoted || !IsBlank(text[i]))) {
            size_t backslashes = 0;
            while (i < text.size() && text[i] == u'\\') ++backslashes, ++i;
            if (i < text.size() && text[i] == u'"') {
                argument.append(backslashes / 2, u'\\');
                if (backslashes % 2) argument += u'"';
                else quoted = !quoted;
                ++i;
            } else {
                argument.append(backslashes, u'\\');
                if (i < text.size() && (quoted || !IsBlank(text[i]))) argument += text[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace vorbel
