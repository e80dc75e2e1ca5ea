// A profile section held in memory, standing in for the registry in the core's tests.
#pragma once

#include <map>
#include <string>

#include "settings/settings_store.h"

namespace vorbel::test {

class MemoryProfile : public ProfileSection {
public:
    std::u16string GetString(std::u16string_view entry) override {
        auto it = entries.find(std::u16string(entry));
        return it == entries.end() ? u"" : it->second;
    }
    void WriteString(std::u16string_view entry, std::u16string_view value) override {
        entries[std::u16string(entry)] = value;
        ++writes;
    }
    std::map<std::u16string, std::u16string> entries;
    int writes = 0;
};

}  // namespace vorbel::test
