#pragma once

// A program directory with registries built as start-up builds them: the
// label files given (from the source tree) in a templates folder, the
// drivers on an empty device tree (ports "FILE:" and "NULL:" only) and the
// scripted operator. zev.ini is removed after the registries are built, so
// a test starts from a first start's settings.

#include "app/Registries.h"
#include "tests/support/ScriptedOperator.h"
#include "tests/support/TestSupport.h"

#include <QStringList>
#include <QTemporaryDir>

#include <string>

namespace zev::test {

// Source-tree paths: "examples/modelos/gondola-zpl.lbl".
QString SourceFile(const QString& relativePath);

// LabelList order: "Etiqueta de teste", "Gôndola 60x40 - Zebra ZPL II",
// "Null Label - For Testing".
QStringList DefaultLabelFiles();

class TProgramFixture
{
public:
    explicit TProgramFixture(const QStringList& labelFiles = DefaultLabelFiles());

    TRegistries& Registries() { return m_registries; }
    TScriptedOperator& Operator() { return m_operator; }
    QString TemplatesDir() const { return m_templates.path(); }

    // zev.ini's bytes; empty when there is no file.
    std::string Settings() const;
    void WriteSettings(const std::string& bytes) const;

private:
    TProgramDirFixture m_programDir;
    QTemporaryDir m_templates;
    QTemporaryDir m_deviceRoot;
    TScriptedOperator m_operator;
    TRegistries m_registries;
};

} // namespace zev::test
