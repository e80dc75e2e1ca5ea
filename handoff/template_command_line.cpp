#include "handoff/template_command_line.h"

#include <utility>

#include "handoff/handoff_formats.h"

namespace vorbel {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

char16_t KnownAnsiLookAlike(char16_t c) {
    switch (c) {
        case 0x02BA:
        case 0x02DD:
        case 0x02EE:
        case 0x201C:
        case 0x201D:
        case 0x201E:
        case 0x201F:
        case 0x2033:
        case 0x2036:
        case 0x301D:
        case 0x301E:
        case 0x301F:
        case 0xFF02: return u'"';
        case 0x00A5:
        case 0x20A9:
        case 0x2216:
        case 0xFE68:
        case 0xFF3C: return u'\\';
        case 0x00A0:
        case 0x1680:
        case 0x202F:
        case 0x205F:
        case 0x3000: return u' ';
        default: return c >= 0x2000 && c <= 0x200A ? u' ' : 0;
    }
}

namespace {

char16_t LookAlike(char16_t c, const AnsiLookAlike& lookAlike) {
    if (c < 0x80) return c;
    if (const char16_t known = KnownAnsiLookAlike(c)) return known;
    const char16_t system = lookAlike ? lookAlike(c) : 0;
    return system < 0x80 ? system : 0;
}

class Splitter {
public:
    void Literal(std::u16string_view text) {
        for (size_t i = 0; i < text.size();) {
            const char16_t c = text[i];
            if (!quoted_ && IsBlank(c)) {
                EndArgument();
                ++i;
                continue;
            }
            if (c == u'\\') {
                size_t n = 0;
                while (i < text.size() && text[i] == u'\\') ++n, ++i;
                const bool beforeQuote = i < text.size() && text[i] == u'"';
                Add(std::u16string(beforeQuote ? n / 2 : n, u'\\'));
                if (beforeQuote) {
                    if (n % 2) Add(u"\"");
                    else Toggle();
                    ++i;
                }
                continue;
            }
            if (c == u'"') Toggle();
            else Add(std::u16string(1, c));
            ++i;
        }
    }
    void Field(const TemplatePart& part) {
        Start();
        current_.push_back({part, quoted_});
    }
    std::vector<TemplateArgument> Finish() {
        EndArgument();
        return std::move(arguments_);
    }

private:
    void Start() { open_ = true; }
    void Toggle() {
        Start();
        quoted_ = !quoted_;
    }
    void Add(const std::u16string& text) {
        if (text.empty()) return;
        Start();
        if (!current_.empty() && !current_.back().part.field && current_.back().quoted == quoted_) {
            current_.back().part.text += text;
        } else {
            current_.push_back({{std::nullopt, text}, quoted_});
        }
    }
    void EndArgument() {
        if (open_) arguments_.push_back(std::move(current_));
        current_.clear();
        open_ = false;
    }

    std::vector<TemplateArgument> arguments_;
    TemplateArgument current_;
    bool open_ = false;
    bool quoted_ = false;
};

}  // namespace

char16_t ArgumentSafeCharacter(char16_t c, const AnsiLookAlike& lookAlike) {
    if (c == 0) return u'?';  // a zero would end the whole command line there
    const char16_t look = LookAlike(c, lookAlike);
    if (look == u'"') return u'\'';
    if (look == u'\\') return u'\\';
    return c;
}

bool SplitsArguments(char16_t c, const AnsiLookAlike& lookAlike) {
    const char16_t look = LookAlike(c, lookAlike);
    return (c != 0 && c <= 0x20) || c == 0x7F || (look != 0 && look <= 0x20);
}

std::vector<TemplateArgument> SplitTemplateArguments(const PatientTemplate& t) {
    Splitter splitter;
    for (const TemplatePart& part : t.parts) {
        if (part.field) splitter.Field(part);
        else splitter.Literal(part.text);
    }
    return splitter.Finish();
}

std::u16string QuoteFilledArgument(const TemplateArgument& argument, const TemplateValues& values,
                                   const AnsiLookAlike& lookAlike) {
    // Each unit of the argument with whether it goes inside quotes.
    std::vector<std::pair<char16_t, bool>> units;
    for (const ArgumentPiece& piece : argument) {
        std::u16string text = PartValue(piece.part, values);
        bool quoted = piece.quoted;
        for (char16_t& c : text) {
            if (!piece.part.field) {
                c = c == 0 ? u'?' : c;
                continue;
            }
            quoted = quoted || SplitsArguments(c, lookAlike);
            c = ArgumentSafeCharacter(c, lookAlike);
        }
        for (char16_t c : text) units.emplace_back(c, quoted);
    }
    if (units.empty()) return u"\"\"";

    std::u16string out;
    bool open = false;
    size_t backslashes = 0;  // held back until it is known whether a quote follows them
    for (const auto& [c, quoted] : units) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        if (quoted != open) {
            out.append(backslashes * 2, u'\\');
            backslashes = 0;
            out += u'"';
            open = quoted;
        }
        if (c == u'"') {
            out.append(backslashes * 2 + 1, u'\\');
        } else {
            out.append(backslashes, u'\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(open ? backslashes * 2 : backslashes, u'\\');
    if (open) out += u'"';
    return out;
}

std::u16string BuildTemplateCommandLine(std::u16string_view programCommand, const PatientTemplate& arguments,
                                        const TemplateValues& values, const AnsiLookAlike& lookAlike) {
    std::u16string commandLine(programCommand);
    for (const TemplateArgument& argument : SplitTemplateArguments(arguments)) {
        commandLine += u' ';
        commandLine += QuoteFilledArgument(argument, values, lookAlike);
    }
    return commandLine;
}

}  // namespace vorbel
