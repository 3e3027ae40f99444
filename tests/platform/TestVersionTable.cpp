// This test program's own version table, read back from /proc/self/exe by
// the version data tests: a few values under Brazilian Portuguese, one empty,
// one with a Windows-1252 byte, and one under another language.

__attribute__((used, section(".zev_version"))) static const char TestVersionTable[] =
    "StringFileInfo\\041604E4\\FileVersion\0"
    "9.8.7\0"
    "StringFileInfo\\041604E4\\ProductName\0"
    "Etiquetas de g\xF4ndola\0"
    "StringFileInfo\\041604E4\\Comments\0"
    "\0"
    "StringFileInfo\\040904E4\\FileVersion\0"
    "1.2.3\0";
