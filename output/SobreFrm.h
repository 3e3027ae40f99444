#pragma once

// "Sobre ZEV 4": the program's version, read from the version table the
// executable carries, the database version, and every registered printer
// driver and label with its version. Refreshed at every showing.

#include <QDialog>

class QLabel;
class QTableWidget;

namespace zev {

struct TRegistries;

class TSobreForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TSobreForm(const TRegistries& registries, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    const TRegistries& m_registries;
    QLabel* m_image1 = nullptr;
    QLabel* m_lblVersao = nullptr;
    QLabel* m_lblVersaoDB = nullptr;
    QTableWidget* m_grdDriver = nullptr;
    QTableWidget* m_grdLabel = nullptr;
};

} // namespace zev
