#include "text/ini_text.h"

#include <algorithm>

namespace vorbel {
namespace {

using View = std::u16string_view;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool IsQuote(char16_t c) { return c == u'"' || c == u'\''; }

// Both ends of the text between begin and end without its blanks.
void TrimBounds(View text, size_t& begin, size_t& end) {
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
}

std::u16string Trimmed(View text) {
    size_t begin = 0, end = text.size();
    TrimBounds(text, begin, end);
    return std::u16string(text.substr(begin, end - begin));
}

bool EnclosedInQuotes(View v) { return v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front(); }

char16_t Folded(char16_t c) {
    const bool upper = (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
    return upper ? static_cast<char16_t>(c + 0x20) : c;
}

// A section's last entry line, or its header: where an added entry goes.
struct LineSpan {
    size_t end, next;
};

LineSpan LastLineOf(const IniSection& s) {
    if (s.entries.empty()) return {s.headerEnd, s.headerNext};
    return {s.entries.back().lineEnd, s.entries.back().lineNext};
}

}  // namespace

IniText ParseIni(View text) {
    IniText ini;
    ini.lineBreak = u"\r\n";
    if (text.find(u'\0') != View::npos) return ini;
    bool breakSeen = false;
    bool contentOutsideSections = false;
    // A byte-order mark belongs to no line: the first header still opens the text.
    size_t pos = !text.empty() && text.front() == u'\uFEFF' ? 1 : 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(u"\r\n", pos);
        size_t next = end;
        if (end == View::npos) {
            end = next = text.size();
        } else {
            next = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
            if (!breakSeen) ini.lineBreak = text.substr(end, next - end);
            breakSeen = true;
        }
        size_t begin = pos, last = end;
        TrimBounds(text, begin, last);
        const View line = text.substr(begin, last - begin);
        const size_t close = line.find(u']');
        const size_t equals = line.find(u'=');
        if (line.empty() || line.front() == u';') {
            // blank or comment
        } else if (line.front() == u'[' && close != View::npos) {
            if (!ini.sections.empty()) ini.sections.back().end = pos;
            IniSection s;
            s.name = Trimmed(line.substr(1, close - 1));
            s.headerBegin = pos;
            s.headerEnd = end;
            s.headerNext = next;
            ini.sections.push_back(std::move(s));
        } else if (ini.sections.empty()) {
            contentOutsideSections = true;
        } else if (equals != View::npos && equals > 0) {
            IniEntry e;
            e.name = Trimmed(line.substr(0, equals));
            e.lineBegin = pos;
            e.lineEnd = end;
            e.lineNext = next;
            e.valueBegin = begin + equals + 1;
            e.valueEnd = last;
            TrimBounds(text, e.valueBegin, e.valueEnd);
            const View raw = text.substr(e.valueBegin, e.valueEnd - e.valueBegin);
            e.value = EnclosedInQuotes(raw) ? raw.substr(1, raw.size() - 2) : raw;
            ini.sections.back().entries.push_back(std::move(e));
        }
        pos = next;
    }
    if (!ini.sections.empty()) ini.sections.back().end = text.size();
    ini.isIni = !contentOutsideSections;
    return ini;
}

bool SameIniName(View a, View b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Folded(x) == Folded(y); });
}

const IniSection* FindIniSection(const IniText& ini, View section) {
    for (const IniSection& s : ini.sections) {
        if (SameIniName(s.name, section)) return &s;
    }
    return nullptr;
}

const IniEntry* FindIniEntry(const IniSection& section, View name) {
    for (const IniEntry& e : section.entries) {
        if (SameIniName(e.name, name)) return &e;
    }
    return nullptr;
}

std::optional<std::u16string> IniValue(const IniText& ini, View section, View name) {
    const IniSection* s = FindIniSection(ini, section);
    const IniEntry* e = s ? FindIniEntry(*s, name) : nullptr;
    if (!e) return std::nullopt;
    return e->value;
}

std::u16string IniValueText(View value) {
    std::u16string v(value);
    for (char16_t& c : v) {
        if (c == u'\r' || c == u'\n') c = u' ';
        if (c == 0) c = u'?';
    }
    v = Trimmed(v);
    if (EnclosedInQuotes(v)) v = u'"' + v + u'"';
    return v;
}

std::optional<std::u16string> SetIniValue(View text, View section, View name, View value) {
    const IniText ini = ParseIni(text);
    if (!ini.isIni) return std::nullopt;
    std::u16string out(text);
    const std::u16string written = IniValueText(value);
    const std::u16string line = std::u16string(name) + u'=' + written;
    const IniSection* s = FindIniSection(ini, section);
    if (!s) {
        if (!out.empty() && out.back() != u'\r' && out.back() != u'\n') out += ini.lineBreak;
        out.append(1, u'[').append(section).append(1, u']').append(ini.lineBreak).append(line).append(ini.lineBreak);
        return out;
    }
    if (const IniEntry* e = FindIniEntry(*s, name)) {
        out.replace(e->valueBegin, e->valueEnd - e->valueBegin, written);
        return out;
    }
    const LineSpan after = LastLineOf(*s);
    // The new line ends as the line it follows: another line break could join the next one's (a
    // CR before an LF). The last line of a text may lack its line break: the new line then brings
    // one before it.
    if (after.next > after.end) {
        out.insert(after.next, line + out.substr(after.end, after.next - after.end));
    } else {
        out.insert(after.end, ini.lineBreak + line);
    }
    return out;
}

std::optional<std::u16string> RemoveIniEntry(View text, View section, View name) {
    const IniText ini = ParseIni(text);
    if (!ini.isIni) return std::nullopt;
    std::u16string out(text);
    const IniSection* s = FindIniSection(ini, section);
    if (!s) return out;
    // From the end, so that the offsets of the lines still to remove hold.
    for (size_t i = s->entries.size(); i-- > 0;) {
        const IniEntry& e = s->entries[i];
        if (SameIniName(e.name, name)) out.erase(e.lineBegin, e.lineNext - e.lineBegin);
    }
    return out;
}

std::optional<std::u16string> RemoveIniSection(View text, View section) {
    const IniText ini = ParseIni(text);
    if (!ini.isIni) return std::nullopt;
    std::u16string out(text);
    for (size_t i = ini.sections.size(); i-- > 0;) {
        const IniSection& s = ini.sections[i];
        if (SameIniName(s.name, section)) out.erase(s.headerBegin, s.end - s.headerBegin);
    }
    return out;
}

}  // namespace vorbel
