// How a Windows program splits its command line into arguments (CommandLineToArgvW and the C
// runtime), for checking natively that a built command line reads back as intended. The program
// name ends at the next quote when it starts with one, else at the first blank; then backslashes
// count only before a quote: 2n and a quote give n and toggle quoting, 2n+1 give n and a literal
// quote. Adjacent quotes inside a quoted part are not a case our command lines produce.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorbel::test {

inline std::vector<std::u16string> SplitWindowsCommandLine(std::u16string_view cmd) {
    std::vector<std::u16string> args;
    size_t i = 0;
    auto blank = [&](size_t k) { return k < cmd.size() && (cmd[k] == u' ' || cmd[k] == u'\t'); };
    std::u16string program;
    if (i < cmd.size() && cmd[i] == u'"') {
        size_t end = cmd.find(u'"', 1);
        program = cmd.substr(1, end == std::u16string_view::npos ? std::u16string_view::npos : end - 1);
        i = end == std::u16string_view::npos ? cmd.size() : end + 1;
    } else {
        while (i < cmd.size() && !blank(i)) program += cmd[i++];
    }
    args.push_back(program);
    for (;;) {
        while (blank(i)) ++i;
        if (i >= cmd.size()) break;
        std::u16string arg;
        bool quoted = false;
        while (i < cmd.size() && (quoted || !blank(i))) {
            size_t backslashes = 0;
            while (i < cmd.size() && cmd[i] == u'\\') ++backslashes, ++i;
            if (i < cmd.size() && cmd[i] == u'"') {
                arg.append(backslashes / 2, u'\\');
                if (backslashes % 2) arg += u'"';
                else quoted = !quoted;
                ++i;
            } else {
                arg.append(backslashes, u'\\');
                if (i < cmd.size() && (quoted || !blank(i))) arg += cmd[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

// How a Delphi program's ParamStr splits it: every character up to the space separates, a quote
// toggles quoting and is dropped, there is no escape, a backslash is a character like any other.
// A pair of quotes where an argument would start is skipped, so an empty argument is lost.
inline std::vector<std::u16string> SplitDelphiCommandLine(std::u16string_view cmd) {
    std::vector<std::u16string> args;
    size_t i = 0;
    for (;;) {
        for (;;) {
            while (i < cmd.size() && cmd[i] <= u' ') ++i;
            if (i + 1 < cmd.size() && cmd[i] == u'"' && cmd[i + 1] == u'"') i += 2;
            else break;
        }
        if (i >= cmd.size()) break;
        std::u16string arg;
        while (i < cmd.size() && cmd[i] > u' ') {
            if (cmd[i] == u'"') {
                ++i;
                while (i < cmd.size() && cmd[i] != u'"') arg += cmd[i++];
                if (i < cmd.size()) ++i;
            } else {
                arg += cmd[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

// Text as an ANSI program receives it, for the characters whose best fit is a quote, a backslash
// or a blank: lookAlike gives that character, or 0 to keep the unit as it is.
template <typename LookAlike>
std::u16string AsAnsiProgramSeesIt(std::u16string_view text, LookAlike lookAlike) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (const char16_t look = c < 0x80 ? 0 : lookAlike(c)) c = look;
    }
    return out;
}

}  // namespace vorbel::test
