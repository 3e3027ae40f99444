#pragma once

// Every label the program knows, built once at start-up: the test label and
// one label per ".lbl" file of the templates directory. Read-only
// afterwards; changes to the files take effect at the next start.

#include "app/Hashes.h"
#include "labels/PrinterLabel.h"

#include <QString>

#include <memory>
#include <string_view>
#include <vector>

namespace zev {

// A label name no registered label has. The message says where the labels
// were read from: a templates directory that is not there, or one whose
// files have no label of that name.
class ELabelNotFound final : public EHashFindError
{
public:
    ELabelNotFound(std::string_view name, const QString& directory, bool directoryFound);
};

// The labels by name; owns them.
class TLabelHash
{
public:
    // The templates directory the labels were read from, and whether it
    // was there; without it a missing name gives the table's own error.
    void SetTemplates(QString directory, bool found);

    bool Exists(std::string_view name) const { return m_labels.Exists(name); }
    // ELabelNotFound when no label has the name.
    TPrinterLabel& Item(std::string_view name) const;
    void SetItem(std::string_view name, std::unique_ptr<TPrinterLabel> label)
    {
        m_labels.SetItem(name, std::move(label));
    }
    void Delete(std::string_view name) { m_labels.Delete(name); }

private:
    TObjectHash<TPrinterLabel> m_labels;
    QString m_directory;
    bool m_directoryFound = false;
};

struct TLabelRegistry
{
    TLabelHash LabelHash;
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
