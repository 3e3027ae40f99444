// This test program's own version table, read back from /proc/self/exe by
// the TVRInfoExe tests: three of the ten values under Brazilian Portuguese,
// one under English.

__attribute__((used, section(".zev_version"))) static const char TestVersionTable[] =
    "StringFileInfo\\041604E4\\CompanyName\0"
    "Loja Modelo S/A\0"
    "StringFileInfo\\041604E4\\FileVersion\0"
    "4.3.2\0"
    "StringFileInfo\\041604E4\\Comments\0"
    "Etiquetas de g\xF4ndola\0"
    "StringFileInfo\\040904E4\\FileVersion\0"
    "4.3.2-en\0";
