#include "patient/command_line.h"

#include <optional>
#include <string>

#include "text/text.h"

namespace vorbel {

const std::array<std::u16string_view, kCommandLineFormatCount> kCommandLineFormatLabels = {
    u"Aucune",
    u"Dossier Nom Prénom",
    u"Dossier \"Nom\" \"Prénom\" \"Date de naissance\"",
    u"-I Dossier -N Nom^Prénom [-P Chemin]",
    u"/p\"Nom, Prénom::Identifiant::Dossier::Date de naissance::Sexe\"",
};

namespace {

using Text = std::u16string_view;
constexpr long kNone = -1;

long Find(Text t, Text s, long from = 0) {
    size_t pos = t.find(s, static_cast<size_t>(from));
    return pos == Text::npos ? kNone : static_cast<long>(pos);
}

// n units of t from a; negative a or n count as 0, and the result stops at the end of t.
Text Mid(Text t, long a, long n) {
    if (a < 0) a = 0;
    if (n < 0) n = 0;
    if (static_cast<size_t>(a) >= t.size()) return {};
    return t.substr(static_cast<size_t>(a), static_cast<size_t>(n));
}

Text Mid(Text t, long a) { return Mid(t, a, static_cast<long>(t.size())); }

// The k-th piece of t cut at every c; absent when t holds fewer than k separators.
std::optional<Text> Piece(Text t, size_t k, char16_t c) {
    size_t start = 0;
    for (size_t i = 0; i < k; ++i) {
        size_t sep = t.find(c, start);
        if (sep == Text::npos) return std::nullopt;
        start = sep + 1;
    }
    size_t end = t.find(c, start);
    return t.substr(start, end == Text::npos ? Text::npos : end - start);
}

std::u16string Str(std::optional<Text> t) { return t ? std::u16string(*t) : std::u16string(); }

void SetNames(PatientRecord& r, std::optional<Text> last, std::optional<Text> first, bool swap) {
    r.lastName = Str(swap ? first : last);
    r.firstName = Str(swap ? last : first);
}

// "::" when present, else ":"; kNone when neither.
long FindSeparator(Text t) {
    long k = Find(t, u"::");
    return k != kNone ? k : Find(t, u":");
}

// The spaced and quoted conventions carry the chart number as a number. A piece that does not
// begin with one (a word, a file's path) names no patient: empty, so the link stops at the
// confirmation, never patient 0. What follows the digits is dropped, as wcstol drops it.
std::u16string ChartNumberOf(Text piece) {
    size_t i = 0;
    while (i < piece.size() && IsWideSpace(piece[i])) ++i;
    if (i < piece.size() && (piece[i] == u'+' || piece[i] == u'-')) ++i;
    if (i == piece.size() || piece[i] < u'0' || piece[i] > u'9') return {};
    return DecimalText(ParseDecimalInt(piece));
}

PatientRecord ParseSpaced(Text cmd, bool swap) {
    PatientRecord r;
    r.chartNumber = ChartNumberOf(*Piece(cmd, 0, u' '));
    SetNames(r, Piece(cmd, 1, u' '), Piece(cmd, 2, u' '), swap);
    return r;
}

PatientRecord ParseQuoted(Text cmd, bool swap) {
    PatientRecord r;
    r.chartNumber = ChartNumberOf(*Piece(cmd, 0, u'"'));
    SetNames(r, Piece(cmd, 1, u'"'), Piece(cmd, 3, u'"'), swap);
    return r;
}

PatientRecord ParseSwitches(Text cmd, bool swap) {
    PatientRecord r;
    const long i = Find(cmd, u"-I"), n = Find(cmd, u"-N"), p = Find(cmd, u"-P");
    if (i == kNone) return r;
    if (n == kNone) {
        r.chartNumber = Trim(p != kNone ? Mid(cmd, i + 2, p - i - 2) : Mid(cmd, i + 2));
        return r;
    }
    r.chartNumber = Trim(Mid(cmd, i + 2, n - i - 2));
    const std::u16string names = Trim(p != kNone ? Mid(cmd, n + 2, p - n - 2) : Mid(cmd, n + 2));
    SetNames(r, Piece(names, 0, u'^'), Piece(names, 1, u'^'), swap);
    return r;
}

// The text after the first of -P, -p, /P, /p found (in that order), unquoted; nullopt when
// none is present.
std::optional<std::u16string> SlashPText(Text cmd) {
    long pos = kNone;
    for (Text spelling : {Text(u"-P"), Text(u"-p"), Text(u"/P"), Text(u"/p")}) {
        if ((pos = Find(cmd, spelling)) != kNone) break;
    }
    if (pos == kNone) return std::nullopt;
    std::u16string s = Trim(Mid(cmd, pos + 2));
    const long q = Find(s, u"\"");
    if (q != kNone) {
        const long end = Find(s, u"\"", q + 1);
        if (end != kNone) s = Trim(Mid(s, q + 1, end - q - 1));
    }
    return s;
}

PatientRecord ParseSlashP(Text cmd, bool swap) {
    PatientRecord r;
    std::optional<std::u16string> text = SlashPText(cmd);
    if (!text) return r;
    std::u16string s = std::move(*text);
    long k = FindSeparator(s);
    if (k == kNone) return r;
    const std::u16string nameText(Mid(s, 0, k));
    // Two units past the separator's start even for a single ':', so ": " is passed over whole.
    s = Trim(Mid(s, k + 2));

    long c = Find(nameText, u",");
    if (c == kNone) c = Find(nameText, u" ");
    if (c == kNone) {
        r.lastName = nameText;
    } else {
        SetNames(r, Mid(nameText, 0, c), Mid(nameText, c + 1), swap);
    }

    k = FindSeparator(s);  // past the identifier
    if (k == kNone) return r;
    s = Trim(Mid(s, k + 2));
    k = FindSeparator(s);
    r.chartNumber = k == kNone ? s : std::u16string(Mid(s, 0, k));
    return r;
}

std::optional<int> SexFromText(Text t) {
    const std::u16string s = Trim(t);
    if (s.empty()) return std::nullopt;
    switch (s[0]) {
        case u'M':
        case u'm':
        case u'H':
        case u'h': return 0;
        case u'F':
        case u'f': return 1;
        default: return std::nullopt;
    }
}

}  // namespace

CommandLineExtras ParseCommandLineExtras(std::u16string_view cmd, int format) {
    CommandLineExtras extras;
    if (format == FormatQuoted) {
        extras.birthDate = Trim(Str(Piece(cmd, 5, u'"')));
    } else if (format == FormatSlashP) {
        // Nom, Prénom::Identifiant::Dossier::Date de naissance::Sexe
        std::optional<std::u16string> s = SlashPText(cmd);
        for (int field = 0; s && field < 3; ++field) {
            const long k = FindSeparator(*s);
            if (k == kNone) s.reset();
            else s = Trim(Mid(*s, k + 2));
        }
        if (s) {
            const long k = FindSeparator(*s);
            extras.birthDate = Trim(k == kNone ? Text(*s) : Mid(*s, 0, k));
            if (k != kNone) {
                const std::u16string rest = Trim(Mid(*s, k + 2));
                const long end = FindSeparator(rest);
                extras.sex = SexFromText(end == kNone ? Text(rest) : Mid(rest, 0, end));
            }
        }
    }
    return extras;
}

PatientRecord ParseCommandLine(std::u16string_view cmd, int format, bool swapNames) {
    switch (format) {
        case FormatSpaced: return ParseSpaced(cmd, swapNames);
        case FormatQuoted: return ParseQuoted(cmd, swapNames);
        case FormatSwitches: return ParseSwitches(cmd, swapNames);
        case FormatSlashP: return ParseSlashP(cmd, swapNames);
        default: return {};
    }
}

}  // namespace vorbel
