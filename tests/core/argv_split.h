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

}  // namespace vorbel::test
