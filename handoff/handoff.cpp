#include "handoff/handoff.h"

#include "handoff/file_error_message.h"
#include "handoff/handoff_files.h"
#include "handoff/handoff_system.h"
#include "handoff/program_command.h"
#include "handoff/program_start.h"
#include "handoff/template_target.h"
#include "handoff/web_export.h"
#include "settings/log_file.h"
#include "settings/settings.h"
#include "text/text.h"
#include "win/error_beep.h"
#include "win/keys.h"
#include "win/message_box.h"
#include "win/module_path.h"
#include "win/wide.h"

namespace vorbel {
namespace {

bool CarriesBirthDate(int target) {
    return target == TargetLinkageFile || target == TargetSidexis || target == TargetWebExport ||
           target == TargetTemplate;
}

std::optional<std::u16string> AppendSidexisRecords(const std::u16string& exchangeFile, SidexisPatient p) {
    const auto n = BuildSidexisNRecord(p, ToOemBytes);
    const auto a = BuildSidexisARecord(p, ToOemBytes);
    if (!n || !a) return RecordTooLongMessage(exchangeFile);
    std::vector<uint8_t> records = *n;
    records.insert(records.end(), a->begin(), a->end());
    return AppendExchangeRecords(exchangeFile, records);
}

// Target 6: the bridge file, whole, before the program that may read it starts.
std::optional<std::u16string> WriteTemplateBridgeFile(const TemplateTarget& target, const TemplateHandOff& filled) {
    if (!target.hasBridgeFile) return std::nullopt;
    const auto bytes = EncodeBridgeText(filled.bridgeContent, target.encoding, ToAnsiBytes, ToOemBytesOrQuestionMark);
    if (!bytes) return u"Encodage du fichier d'échange inconnu.";
    return WriteBridgeFile(filled.bridgePath, *bytes);
}

// The field that a batch file cannot be handed; empty when it is the line as a whole.
std::u16string_view FieldBatchCannotCarry(const PatientRecord& patient) {
    if (BatchCannotCarry(patient.chartNumber)) return u"Dossier";
    if (BatchCannotCarry(patient.lastName)) return u"Nom";
    if (BatchCannotCarry(patient.firstName)) return u"Prénom";
    return u"";
}

}  // namespace

TemplateTargetSettings ReadTemplateTargetSettings(uint32_t key) {
    TemplateTargetSettings s;
    s.arguments = ReadSetting(Setting::ArgumentTemplate, key);
    s.bridgePath = ReadSetting(Setting::BridgeFilePath, key);
    s.bridgeContent = ReadSetting(Setting::BridgeFileContent, key);
    s.encoding = ReadSettingInt(Setting::BridgeFileEncoding, key);
    s.xmlEscape = ReadSettingInt(Setting::BridgeXmlEscape, key) != 0;
    return s;
}

HandOffHooks DefaultHandOffHooks() {
    HandOffHooks hooks;
    hooks.errorBeep = ErrorBeep;
    hooks.showFileError = [](HWND owner, const std::u16string& text) { ShowWarning(owner, text, OwnModuleBaseName()); };
    hooks.dumpKeysHeld = IsShiftOrCtrlHeld;
    hooks.webExport = [](HWND owner, uint32_t key, const WebExportPatient& patient) {
        ExportPatientToWeb(owner, key, patient);
    };
    hooks.now = LocalNow;
    return hooks;
}

HandOffOutcome HandOffPatient(HWND owner, const PatientRecord& fields, const FurtherPatientFields& further) {
    return HandOffPatient(owner, fields, further, DefaultHandOffHooks());
}

HandOffOutcome HandOffPatient(HWND owner, const PatientRecord& fields, const FurtherPatientFields& further,
                              const HandOffHooks& hooks) {
    const auto refuse = [&] {
        hooks.errorBeep();
        return HandOffOutcome::Refused;
    };
    const auto refuseWith = [&](const std::u16string& text) {
        hooks.showFileError(owner, text);
        return HandOffOutcome::Refused;
    };

    const uint32_t key = GetMachineKey();
    const int target = ReadSettingInt(Setting::ImagingTarget, key);
    if (target == TargetNone) return refuse();
    const std::u16string program = ReadSettingWithDefault(Setting::ProgramLocation, key, DefaultProgramPath(target));
    std::u16string dataLocation;
    if (const auto fallback = DefaultDataLocation(target)) {
        dataLocation = ReadSettingWithDefault(Setting::DataLocation, key, *fallback);
    }

    const PatientRecord patient{Trim(fields.chartNumber), Trim(fields.lastName), Trim(fields.firstName)};
    const std::optional<CalendarDate> birthDate =
        CarriesBirthDate(target) ? ParseBirthDate(further.birthDateText) : std::nullopt;
    if (patient.chartNumber.empty()) return refuse();
    if (target == TargetVixWin && ChartNumberLeavesImagesRoot(patient.chartNumber)) {
        return refuseWith(ChartNumberNotAFolderMessage(patient.chartNumber));
    }

    // A template that does not parse is refused before anything is written or started.
    std::optional<TemplateTarget> templates;
    if (target == TargetTemplate) {
        TemplateTargetParse parse = ParseTemplateTarget(ReadTemplateTargetSettings(key));
        if (!parse.ok()) return refuseWith(parse.error);
        templates = std::move(parse.value);
    }

    if (target == TargetWebExport) {
        // The e-mail address goes as typed; the other fields trimmed.
        hooks.webExport(owner, key, WebExportPatient{patient.lastName, patient.firstName, further.email, birthDate});
        return HandOffOutcome::Accepted;
    }

    std::u16string station;
    if (target == TargetSidexis) {
        station = ReadSetting(Setting::SiteComputerName, key);
        if (station.empty()) station = LocalComputerName();
    }

    // What follows the program on its command line, built before anything is written: a batch
    // file that cannot be handed the patient refuses the step with nothing changed.
    std::optional<VixWinLaunch> vixWin;
    std::optional<TemplateHandOff> filled;
    std::u16string tail;
    switch (target) {
        case TargetVixWin:
            vixWin = BuildVixWinLaunch(u"", dataLocation, patient, SystemAnsiLookAlike);
            tail = vixWin->commandLine;
            break;
        case TargetSwitchArguments: tail = BuildSwitchCommandLine(u"", patient); break;
        case TargetTemplate:
            filled = FillTemplateTarget(*templates, u"", {patient, birthDate, further.sex, u""}, SystemAnsiLookAlike);
            tail = filled->commandLine;
            break;
        default: break;
    }
    // The program is found from the settings alone, once; a patient value is never part of it.
    const std::optional<ProgramSetting> resolved = ResolveProgramSetting(program);
    std::optional<ProgramStart> start;
    if (resolved) {
        start = ProgramStartFor(*resolved, tail);
        if (!start) return refuseWith(BatchCannotCarryMessage(program, FieldBatchCannotCarry(patient)));
    }

    // The dump comes before any file is handed over: once it fails, nothing has been written, and
    // confirming again cannot append the same patient twice. Every settings read is in it.
    if (hooks.dumpKeysHeld()) {
        if (const auto error = WriteLogFile()) return refuseWith(FileErrorMessage(*error, FileAction::Create));
    }

    std::optional<std::u16string> failure;
    switch (target) {
        case TargetVixWin: CreateVixWinFolders(dataLocation, vixWin->patientFolder); break;
        case TargetCliniView: failure = WriteCliniViewEntries(dataLocation, patient); break;
        case TargetLinkageFile:
            failure = WriteLinkageFile(program, Utf16LeWithBom(BuildLinkageXml(patient, birthDate, further.sex)));
            break;
        case TargetSidexis:
            failure = AppendSidexisRecords(dataLocation,
                                           {patient, birthDate, further.sex, further.extraText, station, hooks.now()});
            break;
        case TargetTemplate: failure = WriteTemplateBridgeFile(*templates, *filled); break;
        default: break;
    }
    if (failure) return refuseWith(*failure);

    // Started once, never again: what was written stays, being this patient's.
    const unsigned long error = start ? StartImagingProgram(*start, hooks.idleWaitMs) : ERROR_FILE_NOT_FOUND;
    if (error) {
        hooks.showFileError(owner, ProgramNotStartedMessage(program, error));
        return HandOffOutcome::NotStarted;
    }
    return HandOffOutcome::Accepted;
}

}  // namespace vorbel
