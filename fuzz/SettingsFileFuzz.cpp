// zev.ini read as the program reads it: every key of the sections the
// program knows, the label assignments, a serial port's line, the templates
// folder, the ports "Portas" maps; then one setting written, after which
// every other value must read as before.

#include "app/Settings.h"
#include "fuzz/FuzzTarget.h"
#include "labels/LabelRegistry.h"
#include "output/PortRegistry.h"
#include "output/Seriald.h"
#include "platform/AnsiText.h"
#include "platform/Ports.h"
#include "platform/Profile.h"

#include <QDir>

#include <cstdlib>
#include <map>

namespace {

constexpr std::size_t KeysPerSection = 64;

const char* const Sections[] = {"Geral", "Labels", "Portas", "COM1:", "FILE:"};

// The value each key of the known sections reads as.
std::map<std::pair<std::string, std::string>, std::string> Values(const zev::TIniFile& ini)
{
    std::map<std::pair<std::string, std::string>, std::string> values;
    for (const char* section : Sections) {
        const std::vector<std::string> keys = ini.ReadSectionKeys(section);
        for (std::size_t i = 0; i < keys.size() && i < KeysPerSection; ++i)
            values.emplace(std::pair(std::string(section), keys[i]),
                           ini.ReadString(section, keys[i]));
    }
    return values;
}

void RunSettingsFile(std::string_view bytes)
{
    const QString path = zev::fuzz::WriteScratchFile(QStringLiteral("zev.ini"), bytes);
    const QString root = QDir(zev::fuzz::ScratchDir()).filePath(QStringLiteral("root"));
    std::map<std::pair<std::string, std::string>, std::string> before;
    try {
        const zev::TIniFile ini(path);
        before = Values(ini);
        for (const char* section : Sections) {
            (void)ini.ReadSectionValues(section);
            (void)ini.SectionExists(section);
        }
        for (const auto& [where, value] : before) {
            (void)ini.ReadInteger(where.first, where.second, 0);
            (void)ini.ReadBool(where.first, where.second, false);
            (void)ini.ReadDate(where.first, where.second, 0);
            (void)ini.ReadText(where.first, where.second);
        }
        (void)zev::LoadConfiguredLabels(path);
        (void)zev::LoadSerialSettings(path, "COM1:");
        for (const zev::TSystemPort& port : zev::EnumeratePorts(path, root))
            (void)zev::PortDevicePath(port.name, ini, root);
        (void)zev::TemplatesDirectory(path);
    } catch (const zev::EZevError&) {
        return;
    }

    try {
        zev::TIniFile(path).WriteString(zev::settings::Geral, zev::settings::LabelDefault.key, "fuzz");
    } catch (const zev::EZevError&) {
        return;
    }
    const zev::TIniFile after(path);
    if (after.ReadString(zev::settings::Geral, zev::settings::LabelDefault.key) != "fuzz")
        std::abort();
    for (const auto& [where, value] : before) {
        const bool written = zev::AnsiSameText(where.first, zev::settings::Geral) &&
                             zev::AnsiSameText(where.second, zev::settings::LabelDefault.key);
        if (!written && after.ReadString(where.first, where.second) != value)
            std::abort();
    }
}

} // namespace

ZEV_FUZZ_TARGET("settings_file", RunSettingsFile);
