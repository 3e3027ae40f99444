#include "app/Settings.h"

#include "platform/Conversions.h"
#include "platform/Profile.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"

#include <QDir>

namespace zev {

QString SettingsPath()
{
    return ProgramFilePath(QStringLiteral("zev.ini"));
}

bool ReadSetting(const TIniFile& ini, const TBoolSetting& setting)
{
    return ini.ReadBool(setting.section, setting.key, setting.fallback);
}

int ReadSetting(const TIniFile& ini, const TIntSetting& setting)
{
    return ini.ReadInteger(setting.section, setting.key, setting.fallback);
}

std::string ReadSetting(const TIniFile& ini, const TStringSetting& setting)
{
    return ini.ReadString(setting.section, setting.key, setting.fallback);
}

QString ReadSetting(const TIniFile& ini, const TTextSetting& setting)
{
    return ini.ReadText(setting.section, setting.key);
}

QString ReadSetting(const TIniFile& ini, const TPathSetting& setting)
{
    const QString configured = ini.ReadPath(setting.section, setting.key);
    if (!configured.isEmpty() || setting.below == nullptr)
        return configured;
    const QString below = QString::fromLatin1(setting.below);
    return below.isEmpty() ? QDir::currentPath() : QDir::currentPath() + u'/' + below;
}

double ReadSetting(const TIniFile& ini, const TDateSetting& setting)
{
    return ini.ReadDate(setting.section, setting.key, Today());
}

std::optional<std::string> ReadSettingText(const TIniFile& ini, const TSettingKey& setting)
{
    if (!ini.ValueExists(setting.section, setting.key))
        return std::nullopt;
    return ini.ReadString(setting.section, setting.key);
}

void WriteSetting(TIniFile& ini, const TBoolSetting& setting, bool value)
{
    ini.WriteBool(setting.section, setting.key, value);
}

void WriteSetting(TIniFile& ini, const TIntSetting& setting, int value)
{
    ini.WriteInteger(setting.section, setting.key, value);
}

void WriteSetting(TIniFile& ini, const TStringSetting& setting, std::string_view value)
{
    ini.WriteString(setting.section, setting.key, value);
}

void WriteSetting(TIniFile& ini, const TTextSetting& setting, const QString& value)
{
    ini.WriteText(setting.section, setting.key, value);
}

void WriteSetting(TIniFile& ini, const TPathSetting& setting, const QString& value)
{
    ini.WriteText(setting.section, setting.key, value);
}

void WriteSetting(TIniFile& ini, const TDateSetting& setting, double day)
{
    ini.WriteDate(setting.section, setting.key, day);
}

void RemoveSetting(TIniFile& ini, const TSettingKey& setting)
{
    ini.DeleteKey(setting.section, setting.key);
}

TGeneralSettings ReadGeneralSettings(const QString& settingsPath)
{
    const TIniFile ini(settingsPath);
    TGeneralSettings geral;
    geral.defaultLabel = ReadSetting(ini, settings::LabelDefault);
    geral.agrupado = ReadSetting(ini, settings::Agrupado);
    geral.agrupadoPor = ReadSetting(ini, settings::AgrupadoPor);
    geral.impAutom = ReadSetting(ini, settings::ImpAutom);
    geral.atacado = ReadSetting(ini, settings::Atacado);
    geral.minBalanca = ReadSetting(ini, settings::MinBalanca);
    return geral;
}

void SaveGeneralSettings(const QString& settingsPath, const TGeneralSettings& geral)
{
    TIniFile ini(settingsPath);
    WriteSetting(ini, settings::Agrupado, geral.agrupado);
    if (geral.agrupado)
        WriteSetting(ini, settings::AgrupadoPor, geral.agrupadoPor);
    else
        RemoveSetting(ini, settings::AgrupadoPor);
    WriteSetting(ini, settings::MinBalanca, geral.minBalanca);
    if (!geral.defaultLabel.empty())
        WriteSetting(ini, settings::LabelDefault, geral.defaultLabel);
    else
        RemoveSetting(ini, settings::LabelDefault);
    WriteSetting(ini, settings::ImpAutom, geral.impAutom);
    WriteSetting(ini, settings::Atacado, geral.atacado);
}

int GroupingLevel(const TIniFile& ini)
{
    if (!ReadSetting(ini, settings::Agrupado))
        return -1;
    return ini.ReadInteger(settings::AgrupadoPor.section, settings::AgrupadoPor.key, -1);
}

std::int64_t MinBalancaLimit(const TIniFile& ini)
{
    return TryStrToInt64(ini.ReadString(settings::MinBalanca.section, settings::MinBalanca.key))
        .value_or(0);
}

} // namespace zev
