#include "labels/LabelRegistry.h"

#include "app/Settings.h"
#include "labels/FileLabel.h"
#include "labels/Nulll.h"
#include "platform/Profile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace zev {

QString TemplatesDirectory(const QString& settingsPath)
{
    const QString configured =
        TIniFile(settingsPath).ReadPath(settings::Geral, settings::PathModelos);
    // An empty value would be the current directory itself.
    if (configured.isEmpty())
        return QDir::currentPath() + "/modelos";
    return configured;
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
    std::vector<std::unique_ptr<TPrinterLabel>> labels;
    labels.push_back(std::make_unique<TNullLabel>());
    for (const QString& file : LabelFiles(TemplatesDirectory(settingsPath))) {
        labels.push_back(std::make_unique<TFileLabel>(file));
        // The table's own error would not say which of the files it was.
        if (labels.back()->GetName().empty())
            throw EHashInvalidKeyError("o modelo de etiqueta \"" +
                                       QFileInfo(file).fileName().toStdString() +
                                       "\" não tem \"name\" na seção [geral]");
    }

    auto registry = std::make_unique<TLabelRegistry>();
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
