#include "settings/policy.h"

#include "settings/diagnostic_log.h"
#include "settings/settings_store.h"
#include "text/text.h"

namespace vorbel {
namespace {

// The whole text must be the integer: "4 " or "4x" is a mistake, not a 4.
std::optional<int64_t> StrictInteger(std::u16string_view text) {
    const std::u16string t = Trim(text);
    size_t i = (!t.empty() && (t[0] == u'-' || t[0] == u'+')) ? 1 : 0;
    if (i == t.size() || t.size() - i > 10) return std::nullopt;
    int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < u'0' || t[i] > u'9') return std::nullopt;
        value = value * 10 + (t[i] - u'0');
    }
    return t[0] == u'-' ? -value : value;
}

bool HasControl(std::u16string_view text) {
    for (char16_t c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return false;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

PolicyCheck Refuse(std::u16string reason) { return {std::nullopt, std::move(reason)}; }

PolicyCheck CheckNumber(const PolicyDefinition& d, const PolicyData& data) {
    std::optional<int64_t> number;
    if (data.type == PolicyData::Type::Number) {
        // A DWORD is unsigned; -1 is written as 0xFFFFFFFF.
        number = static_cast<int32_t>(data.number);
    } else if (data.type == PolicyData::Type::Text) {
        number = StrictInteger(data.text);
        if (!number) return Refuse(u"not an integer: \"" + data.text + u"\"");
    } else {
        return Refuse(u"neither REG_DWORD nor REG_SZ");
    }
    if (*number < d.low || *number > d.high) {
        return Refuse(u"out of range " + DecimalText(d.low) + u".." + DecimalText(d.high) + u": " +
                      DecimalText(*number));
    }
    const int32_t value = static_cast<int32_t>(*number);
    return {DecimalText(d.kind == PolicyKind::Convention ? EncodeConventionIndex(value) : value), {}};
}

}  // namespace

size_t PolicyTextLimit(const PolicyDefinition& d) {
    return d.setting == kNoSetting ? LimitsOf(Setting::ProgramLocation).plainWrite : LimitsOf(d.setting).plainWrite;
}

PolicyCheck CheckPolicyValue(const PolicyDefinition& d, const PolicyData& data, PolicyTemplateCheck check) {
    if (d.kind == PolicyKind::Number || d.kind == PolicyKind::Convention) return CheckNumber(d, data);

    std::u16string text;
    if (data.type == PolicyData::Type::Text) {
        text = data.text;
    } else if (data.type == PolicyData::Type::Lines && d.kind == PolicyKind::Template) {
        for (const std::u16string& line : data.lines) {
            if (&line != &data.lines.front()) text += u"\r\n";
            text += line;
        }
    } else {
        return Refuse(d.kind == PolicyKind::Template ? u"neither REG_SZ nor REG_MULTI_SZ" : u"not REG_SZ");
    }
    const size_t limit = PolicyTextLimit(d);
    if (text.size() > limit) {
        return Refuse(u"longer than " + DecimalText(static_cast<int64_t>(limit)) + u" characters");
    }
    switch (d.kind) {
        case PolicyKind::Path:
            if (Trim(text).empty()) return Refuse(u"empty");
            if (HasControl(text)) return Refuse(u"holds a control character");
            break;
        case PolicyKind::Url:
            if (!StartsWithNoCase(text, u"http://") && !StartsWithNoCase(text, u"https://"))
                return Refuse(u"not an http:// or https:// address");
            if (HasControl(text) || text.find(u' ') != std::u16string::npos)
                return Refuse(u"holds a blank or a control character");
            break;
        case PolicyKind::Template: {
            if (!check) return Refuse(u"templates cannot be checked here");
            const std::u16string error = check(d.setting, text);
            if (!error.empty()) return Refuse(error);
            break;
        }
        default: break;
    }
    return {std::move(text), {}};
}

const std::u16string* Policy::Value(PolicyId id) const {
    const std::optional<std::u16string>& v = values_[static_cast<size_t>(id)];
    return v ? &*v : nullptr;
}

const std::u16string* Policy::ForSetting(Setting s) const {
    const PolicyDefinition* d = DefinitionFor(s);
    return d ? Value(d->id) : nullptr;
}

bool Policy::Empty() const {
    for (const std::optional<std::u16string>& v : values_) {
        if (v) return false;
    }
    return true;
}

PolicyResolution ResolvePolicy(const std::vector<PolicySource*>& sources, PolicyTemplateCheck check,
                               std::optional<PolicyId> only) {
    PolicyResolution out;
    for (const PolicyDefinition& d : kPolicyDefinitions) {
        if (only && d.id != *only) continue;
        for (PolicySource* source : sources) {
            const std::optional<PolicyData> data = source->Get(d.name);
            if (!data) continue;
            PolicyCheck checked = CheckPolicyValue(d, *data, check);
            if (checked.value) {
                out.policy.Set(d.id, std::move(*checked.value));
                break;
            }
            out.refusals.push_back(
                FormatLogLine(u"Policy %s (%s) ignored: %s\r\n", {d.name, source->Label(), checked.refusal}));
        }
    }
    return out;
}

}  // namespace vorbel
