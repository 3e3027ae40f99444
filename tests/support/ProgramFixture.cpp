#include "tests/support/ProgramFixture.h"

#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace zev::test {

QString SourceFile(const QString& relativePath)
{
    return QDir(QStringLiteral(ZEV_SOURCE_DIR)).filePath(relativePath);
}

QStringList DefaultLabelFiles()
{
    return {QStringLiteral("examples/modelos/gondola-zpl.lbl"),
            QStringLiteral("tests/labels/data/teste.lbl")};
}

TProgramFixture::TProgramFixture(const QStringList& labelFiles)
{
    for (const QString& file : labelFiles) {
        const QString target = QDir(m_templates.path()).filePath(QFileInfo(file).fileName());
        if (!QFile::copy(SourceFile(file), target))
            throw std::runtime_error("cannot copy " + file.toStdString());
    }
    WriteSettings("[Geral]\r\nPath Modelos=" + m_templates.path().toStdString() + "\r\n");
    m_registries.Ports = BuildPortRegistry(m_operator, m_deviceRoot.path());
    m_registries.Labels = BuildLabelRegistry(SettingsPath());
    QFile::remove(SettingsPath());
}

std::string TProgramFixture::Settings() const
{
    return QFile::exists(SettingsPath()) ? ReadFileBytes(SettingsPath()) : std::string();
}

void TProgramFixture::WriteSettings(const std::string& bytes) const
{
    WriteFileBytes(SettingsPath(), bytes);
}

} // namespace zev::test
