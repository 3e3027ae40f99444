// This program's version table for the TVRInfoExe tests: three values in pt-BR, one in en.

__attribute__((used, section(".zev_version"))) static const char TestVersionTable[] =
    "StringFileInfo\\041604E4\\CompanyName\0"
    "Loja Modelo S/A\0"
    "StringFileInfo\\041604E4\\FileVersion\0"
    "4.3.2\0"
    "StringFileInfo\\041604E4\\Comments\0"
    "Etiquetas de g\xF4ndola\0"
    "StringFileInfo\\040904E4\\FileVersion\0"
    "4.3.2-en\0";
