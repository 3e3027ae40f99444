#include "output/SobreFrm.h"

#include "app/Registries.h"
#include "output/info.h"
#include "platform/AnsiText.h"
#include "platform/Error.h"
#include "platform/JpegImage.h"

#include <QCoreApplication>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <string>
#include <utility>
#include <vector>

#include <algorithm>

namespace zev {

namespace {

constexpr QSize PictureSize(173, 57);
constexpr const char* DatabaseVersion = "5";

// The picture is ours and built in; should it ever fail to decode, the box
// still tells the versions.
QPixmap AboutPicture()
{
    QFile file(QStringLiteral(":/images/sobre.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    try {
        return QPixmap::fromImage(DecodeJpeg(file.readAll()));
    } catch (const EZevError&) {
        return {};
    }
}

QTableWidget* NewGrid(const char* name, const int rowHeight)
{
    auto* grid = new QTableWidget(0, 2);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setHorizontalHeaderLabels({QString::fromUtf8("Descrição"), QString::fromUtf8("Versão")});
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->horizontalHeader()->setFixedHeight(rowHeight);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setMinimumWidth(360);
    return grid;
}

using TGridRows = std::vector<std::pair<std::string, std::string>>;

void FillGrid(QTableWidget* grid, const TGridRows& rows)
{
    grid->clearContents();
    grid->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < grid->rowCount(); ++row) {
        const auto& [description, version] = rows[static_cast<std::size_t>(row)];
        grid->setItem(row, 0, new QTableWidgetItem(AnsiToQString(description)));
        grid->setItem(row, 1, new QTableWidgetItem(AnsiToQString(version)));
    }
    // 300 and 40 pixels, or more where the font standing in for Tahoma
    // needs it for a header or a value.
    grid->resizeColumnsToContents();
    grid->setColumnWidth(0, std::max(grid->columnWidth(0), 300));
    grid->setColumnWidth(1, std::max(grid->columnWidth(1), 40));
}

QLabel* NewCaption(const char* utf8)
{
    return new QLabel(QString::fromUtf8(utf8));
}

} // namespace

TSobreForm::TSobreForm(const TRegistries& registries, QWidget* parent)
    : QDialog(parent), m_registries(registries)
{
    setObjectName(QStringLiteral("SobreForm"));
    setWindowTitle(QStringLiteral("Sobre ZEV 4"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    m_image1 = new QLabel;
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setFixedSize(PictureSize);
    m_image1->setScaledContents(true);
    m_image1->setPixmap(AboutPicture());

    m_lblVersao = new QLabel;
    m_lblVersao->setObjectName(QStringLiteral("LblVersao"));
    m_lblVersaoDB = new QLabel;
    m_lblVersaoDB->setObjectName(QStringLiteral("LblVersaoDB"));
    auto* versions = new QGridLayout;
    versions->addWidget(NewCaption("ZEV 4 - Versão:"), 0, 0);
    versions->addWidget(m_lblVersao, 0, 1);
    versions->addWidget(NewCaption("Versão do  BD:"), 1, 0);
    versions->addWidget(m_lblVersaoDB, 1, 1);
    versions->setColumnStretch(1, 1);

    m_grdDriver = NewGrid("GrdDriver", 18);
    m_grdLabel = NewGrid("GrdLabel", 16);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_image1, 0, Qt::AlignHCenter);
    layout->addLayout(versions);
    layout->addWidget(NewCaption("Driver List"));
    layout->addWidget(m_grdDriver);
    layout->addWidget(NewCaption("Label List"));
    layout->addWidget(m_grdLabel);
    resize(400, 440);
}

void TSobreForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TSobreForm::FormShow()
{
    {
        TVRInfoExe info;
        info.ExeName = QCoreApplication::applicationFilePath();
        info.LangId = "0416";
        info.ReadInfo();
        m_lblVersao->setText(AnsiToQString(info.FileVersion));
        m_lblVersaoDB->setText(QString::fromLatin1(DatabaseVersion));
    }

    TGridRows labels;
    for (const TPrinterLabel* label : m_registries.LabelRegistry().LabelList)
        labels.emplace_back(label->GetDescription(), label->GetVersion());
    FillGrid(m_grdLabel, labels);

    TGridRows drivers;
    for (const auto& driver : m_registries.PortRegistry().DriverList())
        drivers.emplace_back(driver->GetName(), driver->GetVersion());
    FillGrid(m_grdDriver, drivers);
}

} // namespace zev
