#pragma once

// zev.ini, the program's only persistent configuration: where it lives and
// the names of its sections and keys, written exactly as they appear in the
// file. It is opened (platform/Profile.h) for one operation at a time and
// nothing is cached, so a value one dialog writes is what the next operation
// reads.

#include <QString>

#include <string_view>

namespace zev {

// zev.ini in the program's directory.
QString SettingsPath();

namespace settings {

inline constexpr std::string_view Geral = "Geral";
inline constexpr std::string_view LabelDefault = "Label Default"; // label name; absent: none
inline constexpr std::string_view Agrupado = "Agrupado";          // boolean
// 0 "Departamento", 1 "Seção", 2 "Grupo", 3 "Sub Grupo"; absent when not grouped.
inline constexpr std::string_view AgrupadoPor = "Agrupado Por";
inline constexpr std::string_view MinBalanca = "Min Balanca"; // digits
inline constexpr std::string_view ImpAutom = "Imp Autom";     // boolean
inline constexpr std::string_view Atacado = "Atacado";        // boolean
inline constexpr std::string_view SelecaoData = "Selecao Data"; // short date; default today
inline constexpr std::string_view PathModelos = "Path Modelos"; // default: current dir + "/modelos"
inline constexpr std::string_view PathCadastro = "Path Cadastro"; // default: current dir
// Written by an import that succeeded: when it ran, local time in ISO 8601
// ("2026-12-07T06:30:00", whatever the regional settings), and the
// package's full path.
inline constexpr std::string_view UltimaImportacao = "Ultima Importacao";
inline constexpr std::string_view ArquivoImportado = "Arquivo Importado";
// Days the print history keeps a job; 90 by default.
inline constexpr std::string_view DiasHistorico = "Dias Historico";

// One key per configured label (its name), the value its port's name.
inline constexpr std::string_view Labels = "Labels";

// Sections named after a port ("COM1:", "FILE:").
inline constexpr std::string_view Baud = "BAUD";
inline constexpr std::string_view DataBits = "DATABITS";
inline constexpr std::string_view StopBits = "STOPBITS";
inline constexpr std::string_view Parity = "PARITY";
inline constexpr std::string_view FlowControl = "FLOWCONTROL";
inline constexpr std::string_view Filename = "Filename";

// Section "Rede": one network printer port per key, name = host[:port].
inline constexpr std::string_view Rede = "Rede";

} // namespace settings

} // namespace zev
