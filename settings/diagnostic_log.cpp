#include "settings/diagnostic_log.h"

namespace vorbel {

DiagnosticLog& TheDiagnosticLog() {
    static DiagnosticLog log;
    return log;
}

std::u16string FormatLogLine(std::u16string_view format, std::initializer_list<std::u16string_view> args) {
    std::u16string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            if (format[i + 1] == u's') {
                if (next != args.end()) out += *next++;
                ++i;
                continue;
            }
            if (format[i + 1] == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

void AppendLogLine(std::u16string_view format, std::initializer_list<std::u16string_view> args) {
    TheDiagnosticLog().Append(FormatLogLine(format, args));
}

void TrimLog() { TheDiagnosticLog().Trim(); }

}  // namespace vorbel
