#include "settings/policy_registry.h"

#include <atomic>

#include "settings/diagnostic_log.h"
#include "win/registry_value.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

PolicyTemplateCheck g_templateCheck = nullptr;

// Asked at every setting read, from any thread; the answer cannot change while the process runs.
std::atomic<int> g_wow64{-1};

bool RunsUnderWow64() {
    int known = g_wow64.load(std::memory_order_relaxed);
    if (known < 0) {
        BOOL is = FALSE;
        known = IsWow64Process(GetCurrentProcess(), &is) && is ? 1 : 0;
        g_wow64.store(known, std::memory_order_relaxed);
    }
    return known != 0;
}

class RegistryPolicySource : public PolicySource {
public:
    explicit RegistryPolicySource(const PolicyView& view) : label_(view.label) {
        const std::u16string path(kPolicyKeyPath);
        if (RegOpenKeyExW(view.root, W(path), 0, KEY_QUERY_VALUE | view.view, key_.put()) != ERROR_SUCCESS)
            key_.release();
    }
    std::u16string_view Label() const override { return label_; }

    std::optional<PolicyData> Get(std::u16string_view name) override {
        if (!key_) return std::nullopt;
        const std::u16string n(name);
        const std::optional<RegistryData> raw = QueryRegistryValue(key_.get(), W(n));
        if (!raw) return std::nullopt;
        PolicyData data;
        if (raw->type == REG_DWORD && raw->bytes.size() == sizeof(DWORD)) {
            data.type = PolicyData::Type::Number;
            memcpy(&data.number, raw->bytes.data(), sizeof(DWORD));
        } else if (raw->type == REG_SZ) {
            data.type = PolicyData::Type::Text;
            data.text = RegistryText(*raw);
        } else if (raw->type == REG_MULTI_SZ) {
            data.type = PolicyData::Type::Lines;
            const char16_t* units = reinterpret_cast<const char16_t*>(raw->bytes.data());
            const size_t count = raw->bytes.size() / sizeof(char16_t);
            std::u16string all(units, count);
            // Strings end at each zero; the list at an empty one (or at the data's end).
            size_t start = 0;
            while (start < all.size()) {
                const size_t end = all.find(u'\0', start);
                const std::u16string line = all.substr(start, end == std::u16string::npos ? end : end - start);
                if (line.empty() && end != std::u16string::npos) break;
                data.lines.push_back(line);
                if (end == std::u16string::npos) break;
                start = end + 1;
            }
        }
        return data;
    }

private:
    std::u16string label_;
    UniqueHKey key_;
};

}  // namespace

std::vector<PolicyView> PolicyViews(bool wow64) {
    if (wow64) {
        return {{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, u"HKLM"}, {HKEY_CURRENT_USER, 0, u"HKCU"}};
    }
    return {{HKEY_LOCAL_MACHINE, 0, u"HKLM"}, {HKEY_CURRENT_USER, 0, u"HKCU"}};
}

void SetPolicyTemplateCheck(PolicyTemplateCheck check) { g_templateCheck = check; }

Policy CurrentPolicy(std::optional<PolicyId> only) {
    const std::vector<PolicyView> views = PolicyViews(RunsUnderWow64());
    std::vector<RegistryPolicySource> sources;
    sources.reserve(views.size());
    for (const PolicyView& view : views) sources.emplace_back(view);
    std::vector<PolicySource*> ordered;
    for (RegistryPolicySource& s : sources) ordered.push_back(&s);
    PolicyResolution r = ResolvePolicy(ordered, g_templateCheck, only);
    // Settings are read many times an action: a mistake the log already tells is not repeated.
    for (const std::u16string& line : r.refusals) {
        if (TheDiagnosticLog().Text().find(line) == std::u16string::npos) TheDiagnosticLog().Append(line);
    }
    return std::move(r.policy);
}

}  // namespace vorbel
