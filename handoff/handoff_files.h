// The files the imaging targets read. Each writer either completes or returns the French text of
// the warning that refuses the hand-off, leaving no partial content behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "patient/patient_record.h"

namespace vorbel {

// The images root and the patient folder, one level each; failures are left to VixWin.
void CreateVixWinFolders(std::u16string_view imagesRoot, std::u16string_view patientFolder);

// The five entries of section "PracticeManagementInterface", written with the rest of the section
// in one operation: CliniView never finds a new chart number beside the previous patient's
// names. A failed write refuses and leaves the file as it was.
std::optional<std::u16string> WriteCliniViewEntries(std::u16string_view iniPath, const PatientRecord& patient);

// Linkage.xml in the program's folder: written under a temporary name, then moved over any
// earlier Linkage.xml, so that the imaging program never finds a stale or half-written one.
std::optional<std::u16string> WriteLinkageFile(std::u16string_view program, const std::vector<uint8_t>& content);
std::u16string LinkageFilePath(std::u16string_view program);

// The bridge file an imaging program reads at its start: written whole under a temporary name in
// the same folder, then moved over the earlier file, so that the program never reads a stale or
// half-written one. The folder must exist.
std::optional<std::u16string> WriteBridgeFile(std::u16string_view path, const std::vector<uint8_t>& content);

// Appends both records in one write to an existing exchange file held without sharing; a failed
// write is cut back off, so the readers on other stations never see half a record.
std::optional<std::u16string> AppendExchangeRecords(std::u16string_view path, const std::vector<uint8_t>& records);

}  // namespace vorbel
