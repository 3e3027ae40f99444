#pragma once

// zev.ini, the program's only persistent configuration: where it lives and
// each of its keys, with its section, its type and what a missing one gives,
// written exactly as they appear in the file. The program reads and writes
// the keys only through ReadSetting and WriteSetting. It is opened (platform/Profile.h) for one operation at a time and
// nothing is cached, so a value one dialog writes is what the next operation
// reads.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zev {

class TIniFile;

// zev.ini in the program's directory.
QString SettingsPath();

// One key of zev.ini. A port's keys live in the port's own section, named
// when they are read (ForPort).
struct TSettingKey
{
    std::string_view section;
    std::string_view key;
};

// Each kind with the value a missing or unreadable key gives.
struct TBoolSetting : TSettingKey
{
    bool fallback;
};
struct TIntSetting : TSettingKey
{
    int fallback;
};
// Windows-1252 bytes, as written.
struct TStringSetting : TSettingKey
{
    std::string_view fallback;
};
// A text the program writes for people (a time, a path), read as UTF-16.
struct TTextSetting : TSettingKey
{
};
// A file or folder: a value holding a NUL byte raises EZevError. A missing
// or empty one is the current directory followed by `below` ("" the current
// directory itself), or empty without `below`.
struct TPathSetting : TSettingKey
{
    const char* below;
};
// A day in the short date format; missing or unreadable, today.
struct TDateSetting : TSettingKey
{
};

template <typename TSetting> TSetting ForPort(TSetting setting, std::string_view port)
{
    setting.section = port;
    return setting;
}

namespace settings {

inline constexpr std::string_view Geral = "Geral";
// A label name; the key goes when no default label is chosen.
inline constexpr TStringSetting LabelDefault{{Geral, "Label Default"}, ""};
inline constexpr TBoolSetting Agrupado{{Geral, "Agrupado"}, false};
// 0 "Departamento", 1 "Seção", 2 "Grupo", 3 "Sub Grupo"; kept only while
// "Agrupado" is set (GroupingLevel).
inline constexpr TIntSetting AgrupadoPor{{Geral, "Agrupado Por"}, 0};
// Digits, as the settings dialog shows them (MinBalancaLimit).
inline constexpr TStringSetting MinBalanca{{Geral, "Min Balanca"}, "999999"};
inline constexpr TBoolSetting ImpAutom{{Geral, "Imp Autom"}, false};
inline constexpr TBoolSetting Atacado{{Geral, "Atacado"}, false};
inline constexpr TDateSetting SelecaoData{{Geral, "Selecao Data"}};
inline constexpr TPathSetting PathModelos{{Geral, "Path Modelos"}, "modelos"};
inline constexpr TPathSetting PathCadastro{{Geral, "Path Cadastro"}, ""};
// Written by an import that succeeded: when it ran, local time in ISO 8601
// ("2026-12-07T06:30:00", whatever the regional settings), and the
// package's full path.
inline constexpr TTextSetting UltimaImportacao{{Geral, "Ultima Importacao"}};
inline constexpr TTextSetting ArquivoImportado{{Geral, "Arquivo Importado"}};
// Days the print history keeps a job (HistoryDays).
inline constexpr TIntSetting DiasHistorico{{Geral, "Dias Historico"}, 90};

// One key per configured label (its name), the value its port's name.
inline constexpr std::string_view Labels = "Labels";

// A serial port's line.
inline constexpr TIntSetting Baud{{"", "BAUD"}, 9600};
inline constexpr TIntSetting DataBits{{"", "DATABITS"}, 8};
inline constexpr TIntSetting StopBits{{"", "STOPBITS"}, 0};
inline constexpr TStringSetting Parity{{"", "PARITY"}, "N"};
inline constexpr TIntSetting FlowControl{{"", "FLOWCONTROL"}, 2};
// The file port's file.
inline constexpr TPathSetting Filename{{"", "Filename"}, nullptr};

// Section "Rede": one network printer port per key, name = host[:port].
inline constexpr std::string_view Rede = "Rede";

} // namespace settings

bool ReadSetting(const TIniFile& ini, const TBoolSetting& setting);
int ReadSetting(const TIniFile& ini, const TIntSetting& setting);
std::string ReadSetting(const TIniFile& ini, const TStringSetting& setting);
QString ReadSetting(const TIniFile& ini, const TTextSetting& setting);
QString ReadSetting(const TIniFile& ini, const TPathSetting& setting);
double ReadSetting(const TIniFile& ini, const TDateSetting& setting);
// The value as the file holds it; none when the key is missing.
std::optional<std::string> ReadSettingText(const TIniFile& ini, const TSettingKey& setting);

// Writers throw EZevError naming the file when it cannot be written.
void WriteSetting(TIniFile& ini, const TBoolSetting& setting, bool value);
void WriteSetting(TIniFile& ini, const TIntSetting& setting, int value);
void WriteSetting(TIniFile& ini, const TStringSetting& setting, std::string_view value);
void WriteSetting(TIniFile& ini, const TTextSetting& setting, const QString& value);
void WriteSetting(TIniFile& ini, const TPathSetting& setting, const QString& value);
void WriteSetting(TIniFile& ini, const TDateSetting& setting, double day);
void RemoveSetting(TIniFile& ini, const TSettingKey& setting);

// "Geral" as the settings dialog shows and saves it.
struct TGeneralSettings
{
    std::string defaultLabel; // empty: none
    bool agrupado = settings::Agrupado.fallback;
    int agrupadoPor = settings::AgrupadoPor.fallback;
    std::string minBalanca{settings::MinBalanca.fallback};
    bool impAutom = settings::ImpAutom.fallback;
    bool atacado = settings::Atacado.fallback;

    bool operator==(const TGeneralSettings&) const = default;
};

TGeneralSettings ReadGeneralSettings(const QString& settingsPath);
// "Agrupado Por" is kept only while grouped, "Label Default" only when a
// label is chosen; each write reaches the disk before the next.
void SaveGeneralSettings(const QString& settingsPath, const TGeneralSettings& geral);

// The printing's and the date selection's readings of two keys: the
// grouping level, -1 when not grouped ("Agrupado" off or no level); the
// smallest barcode printed, 0 when "Min Balanca" is missing or no number.
int GroupingLevel(const TIniFile& ini);
std::int64_t MinBalancaLimit(const TIniFile& ini);

} // namespace zev
