#pragma once

// Every label the program knows, built once at start-up: the test label and
// one label per ".lbl" file of the templates directory. Read-only
// afterwards; changes to the files take effect at the next start.

#include "app/Hashes.h"
#include "labels/PrinterLabel.h"

#include <QString>

#include <memory>
#include <vector>

namespace zev {

struct TLabelRegistry
{
    // By name; owns the labels. A missing name raises "Key \"%s\" not found".
    TObjectHash<TPrinterLabel> LabelHash;
    // Every registered label, by description, byte for byte (upper case
    // before lower case, accented letters last). Lists address labels by
    // their index here.
    std::vector<TPrinterLabel*> LabelList;
};

// "Path Modelos" of section "Geral"; by default the current directory's
// "modelos".
QString TemplatesDirectory(const QString& settingsPath);

// The ".lbl" files (extension in any case) of the directory: regular,
// non-hidden files, by name, so the result never depends on the file system.
std::vector<QString> LabelFiles(const QString& directory);

// When two labels carry the same name the later one keeps it and the
// earlier one is dropped from the list as well. Throws when a definition
// file cannot be loaded or has no name.
std::unique_ptr<TLabelRegistry> BuildLabelRegistry(const QString& settingsPath);

} // namespace zev
