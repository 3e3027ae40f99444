#include "labels/LabelRegistry.h"

#include "app/Settings.h"
#include "labels/FileLabel.h"
#include "labels/Nulll.h"
#include "platform/AnsiText.h"
#include "platform/Profile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace zev {

namespace {

std::string NotFoundText(std::string_view name, const QString& directory, bool directoryFound)
{
    if (directory.isEmpty())
        return EHashFindError::Text(name);
    const std::string label = "A etiqueta \"" + AnsiToUtf8(name) + "\" não foi encontrada: ";
    const std::string folder = "\"" + directory.toStdString() + "\"";
    const std::string reopen =
        " O programa ZEV lê os modelos ao abrir: depois, feche-o e abra-o de novo.";
    if (!directoryFound)
        return label + "a pasta de modelos " + folder +
               " não existe. Verifique \"Path Modelos\" na seção [Geral] do zev.ini." + reopen;
    return label + "nenhum modelo (arquivo .lbl) da pasta " + folder +
           " tem esse nome. Verifique se o arquivo do modelo está nessa pasta e se \"Path "
           "Modelos\" na seção [Geral] do zev.ini aponta para ela." +
           reopen;
}

} // namespace

ELabelNotFound::ELabelNotFound(std::string_view name, const QString& directory, bool directoryFound)
    : EHashFindError(TReason{NotFoundText(name, directory, directoryFound)})
{}

void TLabelHash::SetTemplates(QString directory, bool found)
{
    m_directory = std::move(directory);
    m_directoryFound = found;
}

TPrinterLabel& TLabelHash::Item(std::string_view name) const
{
    if (!m_labels.Exists(name))
        throw ELabelNotFound(name, m_directory, m_directoryFound);
    return m_labels.Item(name);
}

QString TemplatesDirectory(const QString& settingsPath)
{
    return ReadSetting(TIniFile(settingsPath), settings::PathModelos);
}

std::vector<QString> LabelFiles(const QString& directory)
{
    const QDir dir(directory);
    const QFileInfoList entries = dir.entryInfoList(
        {QStringLiteral("*.lbl")}, QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    std::vector<QString> files;
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().startsWith('.') || !entry.isFile())
            continue;
        if (entry.suffix().compare(QLatin1String("lbl"), Qt::CaseInsensitive) != 0)
            continue;
        files.push_back(entry.filePath());
    }
    // Byte order of the names, as the file system stores them.
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return QFile::encodeName(a) < QFile::encodeName(b);
    });
    return files;
}

std::unique_ptr<TLabelRegistry> BuildLabelRegistry(const QString& settingsPath)
{
    const QString directory = TemplatesDirectory(settingsPath);
    std::vector<std::unique_ptr<TPrinterLabel>> labels;
    labels.push_back(std::make_unique<TNullLabel>());
    for (const QString& file : LabelFiles(directory)) {
        labels.push_back(std::make_unique<TFileLabel>(file));
        // The table's own error would not say which of the files it was.
        if (labels.back()->GetName().empty())
            throw EHashInvalidKeyError("o modelo de etiqueta \"" +
                                       QFileInfo(file).fileName().toStdString() +
                                       "\" não tem \"name\" na seção [geral]");
    }

    auto registry = std::make_unique<TLabelRegistry>();
    registry->LabelHash.SetTemplates(directory, QFileInfo(directory).isDir());
    for (auto& label : labels) {
        const std::string name = label->GetName();
        if (registry->LabelHash.Exists(name)) {
            // The table releases the earlier label: it must leave the list first.
            std::erase(registry->LabelList, &registry->LabelHash.Item(name));
            registry->LabelHash.Delete(name);
        }
        TPrinterLabel* const entry = label.get();
        registry->LabelHash.SetItem(name, std::move(label));
        registry->LabelList.push_back(entry);
    }
    std::stable_sort(registry->LabelList.begin(), registry->LabelList.end(),
                     [](const TPrinterLabel* a, const TPrinterLabel* b) {
                         return a->GetDescription() < b->GetDescription();
                     });
    return registry;
}

} // namespace zev
